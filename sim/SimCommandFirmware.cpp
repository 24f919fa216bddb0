#include "SimCommandFirmware.h"

#include <algorithm>
#include <cstring>

namespace ivra::sim {

namespace {

constexpr size_t kRecentAnswerLimit = 16;

void SetLength(Frame& answer, size_t length) {
    answer[4] = static_cast<uint8_t>(length);
}

// Copies `length` bytes at `offset` of a memory area into the answer's
// payload; false when the range leaves the first `limit` bytes of the area
// or the frame.
template <typename Area>
bool ReadArea(const Area& area, size_t offset, size_t length, size_t limit, Frame& answer) {
    if (length > kFrameMaxPayload || offset + length > std::min(limit, area.size())) return false;
    std::copy_n(area.begin() + static_cast<std::ptrdiff_t>(offset), length, answer.begin() + kFramePayloadOffset);
    return true;
}

template <typename Area>
bool WriteArea(Area& area, size_t offset, size_t length, size_t limit, const Frame& request) {
    if (length > kFrameMaxPayload || offset + length > std::min(limit, area.size())) return false;
    std::copy_n(request.begin() + kFramePayloadOffset, length, area.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

}  // namespace

SimFirmwareReply SimCommandFirmware::Receive(const uint8_t* report, size_t length) {
    Frame request{};
    std::memcpy(request.data(), report, std::min(length, kFrameSize));
    const uint8_t commandCode = request[3];

    // The script is consulted first: a lost frame never reaches the
    // command handler.
    const SimFaultDecision decision = faults_.OnFrame(commandCode);

    std::lock_guard lock(mutex_);
    ++counters_.framesReceived;
    log_.push_back(request);
    if (log_.size() > kLogLimit) log_.pop_front();

    SimFirmwareReply reply;
    if (decision.staleEchoFirst) {
        ++counters_.faultsApplied;
        if (const std::optional<Frame> stale = StaleAnswerFor(commandCode)) {
            reply.answers.push_back(*stale);
        }
    }

    Frame answer{};
    answer[0] = kCommandReportId;
    answer[3] = commandCode;
    answer[4] = request[4];
    answer[5] = request[5];
    answer[6] = request[6];

    if (decision.replacement) {
        ++counters_.faultsApplied;
        switch (decision.replacement->kind) {
            case SimFaultKind::NoAnswer: break;
            case SimFaultKind::UnplugDuringRead: reply.unplug = true; break;
            case SimFaultKind::Status:
                answer[7] = decision.replacement->status;
                SealFrame(answer.data());
                reply.answers.push_back(answer);
                break;
            case SimFaultKind::ReceiverAnswer: {
                // The receiver speaks for a device it cannot reach.
                Frame receiver = MakeFrame(kReceiverAnswer, 1, 0);
                receiver[kFramePayloadOffset] = 0x00;
                SealFrame(receiver.data());
                reply.answers.push_back(receiver);
                break;
            }
            case SimFaultKind::StaleEcho: break;  // never a replacement
        }
    } else {
        if (!FrameChecksumValid(request.data())) {
            ++counters_.badChecksums;
            answer[7] = kStatusError;
        } else {
            answer[7] = Execute(request, answer);
        }
        SealFrame(answer.data());
        reply.answers.push_back(answer);
    }

    counters_.answersSent += reply.answers.size();
    for (const Frame& sent : reply.answers) {
        recentAnswers_.push_back(sent);
        if (recentAnswers_.size() > kRecentAnswerLimit) recentAnswers_.pop_front();
    }
    return reply;
}

std::optional<Frame> SimCommandFirmware::StaleAnswerFor(uint8_t commandCode) const {
    // A leftover answer of an earlier exchange; when there is none, an empty
    // answer for a command that was never sent.
    for (auto it = recentAnswers_.rbegin(); it != recentAnswers_.rend(); ++it) {
        if ((*it)[3] != commandCode) return *it;
    }
    Frame stale = MakeFrame(static_cast<uint8_t>(commandCode ^ 0x80));
    return stale;
}

uint8_t SimCommandFirmware::Execute(const Frame& request, Frame& answer) {
    using M = SimFirmwareMemory;
    const uint8_t commandCode = request[3];
    const size_t length = request[4];
    const size_t offset = FrameOffset(request.data());
    bool inRange = true;

    switch (commandCode) {
        case command::kBeginSession:
        case command::kEndSession:
        case command::kHandLightsToDevice:
        case command::kTakeLightControl: break;
        case command::kReadInfoBlock:
            inRange = ReadArea(memory_.infoBlock, offset, length, M::kInfoBlockSize, answer);
            break;
        case command::kReadData: inRange = ReadArea(memory_.data, offset, length, M::kDataSize, answer); break;
        case command::kWriteData: inRange = WriteArea(memory_.data, offset, length, M::kDataSize, request); break;
        case command::kReadKeyTable:
            inRange = ReadArea(memory_.keyTable, offset, length, memory_.KeyTableSize(), answer);
            break;
        case command::kWriteKeyTable:
            // Offset = block x 512 + offset in block; the table is block 0
            // (and what of a longer table runs past it).
            inRange = WriteArea(memory_.keyTable, offset, length, memory_.KeyTableSize(), request);
            break;
        case command::kReadLedMap:
            // The LED map, one byte per key.
            inRange = ReadArea(memory_.ledMap, offset, length, memory_.LedMapSize(), answer);
            break;
        case command::kWriteLightBlock:
            inRange = WriteArea(memory_.lightBlocks, offset, length, memory_.lightBlocks.size(), request);
            break;
        case command::kStreamLightFrame:
            ++counters_.streamFrames;
            inRange = WriteArea(memory_.streamImage, offset, length, memory_.StreamImageSize(), request);
            if (inRange) {
                memory_.lastStreamFrame = request;
                memory_.hasStreamFrame = true;
            }
            break;
        case command::kWriteMacroImage:
            // The macro image.
            inRange = WriteArea(memory_.macroMemory, offset, length, memory_.MacroMemorySize(), request);
            break;
        case command::kWriteBuffer:
            inRange = WriteArea(memory_.block23, offset, length, M::kBlockBufferSize, request);
            break;
        case command::kReadPowerStatus:
            std::copy(memory_.power.begin(), memory_.power.end(), answer.begin() + kFramePayloadOffset);
            SetLength(answer, M::kPowerRecordSize);
            break;
        case command::kQueryReceiverLink:
            answer[kFramePayloadOffset] = memory_.receiverLinked ? 0xFF : 0x00;
            SetLength(answer, 1);
            break;
        default: ++counters_.unknownCommands; return kStatusError;
    }
    if (!inRange) {
        ++counters_.rangeErrors;
        return kStatusError;
    }
    return 0x00;
}

std::vector<Frame> SimCommandFirmware::ReceivedFrames() const {
    std::lock_guard lock(mutex_);
    return {log_.begin(), log_.end()};
}

void SimCommandFirmware::ClearLog() {
    std::lock_guard lock(mutex_);
    log_.clear();
}

SimFirmwareCounters SimCommandFirmware::Counters() const {
    std::lock_guard lock(mutex_);
    return counters_;
}

SimFirmwareMemory SimCommandFirmware::Memory() const {
    std::lock_guard lock(mutex_);
    return memory_;
}

void SimCommandFirmware::SetMemory(const SimFirmwareMemory& memory) {
    std::lock_guard lock(mutex_);
    memory_ = memory;
}

void SimCommandFirmware::ModifyMemory(const std::function<void(SimFirmwareMemory&)>& change) {
    std::lock_guard lock(mutex_);
    change(memory_);
}

}  // namespace ivra::sim
