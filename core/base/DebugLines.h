// The fixed debug lines of the system, one name each, so that the code that
// writes a line and the tests and tools that look for it share one text.
// The texts are kept byte for byte: logs and recorded frames compare them.
#pragma once

namespace ivra::debug {

// Reading a JSON file; the file's error number follows ("…：：0" when read).
inline constexpr const char* kJsonReadResult = "readjsonFile 错误吗：：";

// Device list.
inline constexpr const char* kKeyboardAdded = "添加一个键盘设备";
inline constexpr const char* kMouseAdded = "添加一个鼠标设备";
inline constexpr const char* kMousePadAdded = "添加一个鼠标垫设备";
inline constexpr const char* kKeyboardRemoved = "删除一个键盘设备";
inline constexpr const char* kMouseRemoved = "删除一个鼠标设备";
inline constexpr const char* kMousePadRemoved = "删除一个鼠标垫设备";
inline constexpr const char* kKeyboardLost = "键盘设备丢失";
inline constexpr const char* kMouseLost = "鼠标设备丢失";
inline constexpr const char* kWirelessModeReadFailed = "获取2.4G模式失败";
inline constexpr const char* kWirelessModeRead = "获取2";

// Device scan.
inline constexpr const char* kScanStartFailed = "抓取设备线程启动失败";
inline constexpr const char* kScanExit = "抓取设备线程设定退出";

// Frames sent and answers received (the frame's bytes follow).
inline constexpr const char* kFrameSent = "命令";
inline constexpr const char* kFrameAnswered = "返回";

// Worker threads: how a stop ended.
inline constexpr const char* kThreadEnded = "线程退出：：对象处于激发状态\n";
inline constexpr const char* kThreadTimedOut = "线程退出：：对象处于非激发状态，超时\n";
inline constexpr const char* kThreadWaitFailed = "线程退出：：错误\n";

// Device listeners and light threads.
inline constexpr const char* kReadBackRequest = "接收到自动添加设备的同步信息要求";
inline constexpr const char* kEventReport = "接收到自动添加设备的同步信息要求  TEST";
inline constexpr const char* kCableListenerExit = "MS 设备同步线程设定退出";
inline constexpr const char* kPadOrHeadsetListenerExit = "MS设备同步线程设定退出";
inline constexpr const char* kKeyboardLightThreadExit = "KB灯光线程设定退出";
inline constexpr const char* kLightSenderExit = "灯光数据发送线程退出";
inline constexpr const char* kLightFrameDropped = "放弃灯光数据";

// User interface.
inline constexpr const char* kQuitTest = "退出测试";
inline constexpr const char* kSettingsWritten = "写成功！";

}  // namespace ivra::debug
