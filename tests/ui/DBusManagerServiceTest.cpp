#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>
#include <QTest>
#include <QXmlStreamReader>
#include <algorithm>
#include <string>
#include <vector>

#include "DBusPrivateBus.h"
#include "QtPrinters.h"
#include "base/DebugOutput.h"
#include "dbus/DeviceListAnswer.h"
#include "dbus/ManagerService.h"
#include "dbus/SuspendPolicy.h"

namespace ivra::dbus {
namespace {

using ivra::testing::PrivateBus;

constexpr int kCallTimeoutMs = 5000;

class FakeCommands : public IManagerCommands {
public:
    void SetLightControl(bool on) override {
        light = on;
        lightSets.push_back(on);
    }
    void ReapplyLightControl() override { ++reapplies; }
    bool LightControl() const override { return light; }
    bool ProcessingEnabled() const override { return processing; }
    void GameLightEvent(int32_t action, int32_t effect) override { games.emplace_back(action, effect); }
    void FeedSoundFrame(const SoundFrame& frame) override { sounds.push_back(frame); }
    void FeedScreenColour(const ScreenColour& colour) override { screens.push_back(colour); }
    void ShowProgress() override { ++progress; }
    void OpenSettingsCentred() override { ++settings; }
    void RaiseWindow() override { ++raises; }

    bool light = true;
    bool processing = true;
    std::vector<bool> lightSets;
    int reapplies = 0;
    std::vector<std::pair<int32_t, int32_t>> games;
    std::vector<SoundFrame> sounds;
    std::vector<ScreenColour> screens;
    int progress = 0;
    int settings = 0;
    int raises = 0;
};

class BoolSignalRecorder : public QObject {
    Q_OBJECT
public slots:
    void Record(bool value) { values.push_back(value); }

public:
    std::vector<bool> values;
};

// Captures the debug lines written while it lives.
class DebugCapture {
public:
    DebugCapture() {
        SetDebugSink([this](std::string_view line) { lines.emplace_back(line); });
    }
    ~DebugCapture() { SetDebugSink({}); }
    std::vector<std::string> lines;
};

std::vector<int32_t> Int32s(const QByteArray& bytes) {
    std::vector<int32_t> values;
    for (qsizetype i = 0; i + 4 <= bytes.size(); i += 4) {
        uint32_t v = 0;
        for (int b = 0; b < 4; ++b) v |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + b])) << (8 * b);
        values.push_back(static_cast<int32_t>(v));
    }
    return values;
}

std::vector<int32_t> Int32s(const std::vector<uint8_t>& bytes) {
    return Int32s(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
}

class ManagerServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.Started()) << bus.Error().toStdString();
        serviceBus = bus.Connect();
        client = bus.Connect();
        ASSERT_TRUE(serviceBus.isConnected());
        ASSERT_TRUE(client.isConnected());
        ASSERT_TRUE(service.Start(serviceBus));
    }

    QDBusMessage Call(const QString& method, const QVariantList& args = {}) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(QLatin1String(kManagerServiceName), QLatin1String(kManagerObjectPath),
                                           QLatin1String(kManagerInterface), method);
        call.setArguments(args);
        return client.call(call, QDBus::BlockWithGui, kCallTimeoutMs);
    }

    bool CallReturnsTrue(const QString& method, const QVariantList& args) {
        const QDBusMessage reply = Call(method, args);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return reply.arguments().size() == 1 && reply.arguments().first().toBool();
    }

    PrivateBus bus;
    QDBusConnection serviceBus{QStringLiteral("unset")};
    QDBusConnection client{QStringLiteral("unset")};
    FakeCommands commands;
    ManagerService service{commands};
};

TEST_F(ManagerServiceTest, LightControlIsSetReappliedAndRead) {
    commands.light = false;
    QDBusMessage get =
        QDBusMessage::createMethodCall(QLatin1String(kManagerServiceName), QLatin1String(kManagerObjectPath),
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QLatin1String(kManagerInterface) << QStringLiteral("LightControl");
    QDBusMessage reply = client.call(get, QDBus::BlockWithGui, kCallTimeoutMs);
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_FALSE(reply.arguments().first().value<QDBusVariant>().variant().toBool());

    Call(QStringLiteral("SetLightControl"), {true});
    Call(QStringLiteral("SetLightControl"), {false});
    Call(QStringLiteral("ReapplyLightControl"));
    EXPECT_EQ(commands.lightSets, (std::vector<bool>{true, false}));
    EXPECT_EQ(commands.reapplies, 1);
}

TEST_F(ManagerServiceTest, LightControlStateReachesListeners) {
    BoolSignalRecorder recorder;
    ASSERT_TRUE(client.connect(QLatin1String(kManagerServiceName), QLatin1String(kManagerObjectPath),
                               QLatin1String(kManagerInterface), QStringLiteral("LightControlChanged"), &recorder,
                               SLOT(Record(bool))));
    // The match rule is in place once a round trip through the bus is done.
    Call(QStringLiteral("ReapplyLightControl"));

    service.NotifyLightControl(true);
    service.NotifyLightControl(false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return recorder.values.size() == 2; }, kCallTimeoutMs));
    EXPECT_EQ(recorder.values, (std::vector<bool>{true, false}));
}

TEST_F(ManagerServiceTest, DeviceListAnswerCarriesTheFiveCatalogueRows) {
    const QDBusMessage reply = Call(QStringLiteral("RequestDeviceList"));
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    const QByteArray answer = reply.arguments().first().toByteArray();
    ASSERT_EQ(answer.size(), 1024);
    const std::vector<int32_t> values = Int32s(answer);
    std::vector<int32_t> expected = {2, 3, 0, 2, 5};
    for (const DeviceOptionRow& row : DeviceCatalogue::Shipped().Options()) {
        expected.insert(expected.end(), {row.vendorId, row.productId, row.kind});
    }
    ASSERT_EQ(expected.size(), 20u);  // five rows, also for kinds without pages
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), values.begin()));
    EXPECT_TRUE(std::all_of(values.begin() + 20, values.end(), [](int32_t v) { return v == 0; }));
}

TEST_F(ManagerServiceTest, GameEventsPassOnActionAndEffect) {
    int32_t action = 0;
    for (const char* name : {"Game_Start", "Game_End", "Game_Kill", "Game_Death"}) {
        EXPECT_TRUE(CallReturnsTrue(QStringLiteral("GameEvent"), {QString::fromLatin1(name), action, 20 + action}))
            << name;
        ++action;
    }
    EXPECT_EQ(commands.games, (std::vector<std::pair<int32_t, int32_t>>{{0, 20}, {1, 21}, {2, 22}, {3, 23}}));
}

TEST_F(ManagerServiceTest, UnknownGameEventIsAnError) {
    const QDBusMessage reply = Call(QStringLiteral("GameEvent"), {QStringLiteral("game_start"), 0, 1});
    EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
    EXPECT_TRUE(commands.games.empty());
}

TEST_F(ManagerServiceTest, WhileSuspendedGameEventsAreDroppedButCompanionDataAndWindowsGoOn) {
    commands.processing = false;
    EXPECT_FALSE(CallReturnsTrue(QStringLiteral("GameEvent"), {QStringLiteral("Game_Kill"), 0, 5}));
    EXPECT_TRUE(commands.games.empty());

    EXPECT_TRUE(CallReturnsTrue(QStringLiteral("CompanionData"), {2u, QByteArray(24, '\x7f')}));
    Call(QStringLiteral("ShowProgress"));
    EXPECT_EQ(commands.screens.size(), 1u);
    EXPECT_EQ(commands.progress, 1);
}

struct CompanionCase {
    uint kind;
    int size;
    bool accepted;
};

TEST_F(ManagerServiceTest, CompanionDataShorterThanItsKindIsIgnored) {
    const CompanionCase cases[] = {
        {1, 2000, true}, {1, 2004, true}, {1, 1999, false}, {1, 24, false},   {1, 0, false},  {2, 24, true},
        {2, 30, true},   {2, 23, false},  {2, 0, false},    {3, 2000, false}, {0, 24, false},
    };
    size_t sounds = 0;
    size_t screens = 0;
    for (const CompanionCase& c : cases) {
        EXPECT_EQ(CallReturnsTrue(QStringLiteral("CompanionData"), {c.kind, QByteArray(c.size, '\x01')}), c.accepted)
            << "kind " << c.kind << ", " << c.size << " bytes";
        if (c.accepted && c.kind == 1) ++sounds;
        if (c.accepted && c.kind == 2) ++screens;
        EXPECT_EQ(commands.sounds.size(), sounds) << "kind " << c.kind << ", " << c.size << " bytes";
        EXPECT_EQ(commands.screens.size(), screens) << "kind " << c.kind << ", " << c.size << " bytes";
    }
}

TEST_F(ManagerServiceTest, CompanionDataIsReadLittleEndian) {
    QByteArray sound(2000, '\0');
    // value 0: 0x04030201; value 499: -2
    sound[0] = 1, sound[1] = 2, sound[2] = 3, sound[3] = 4;
    for (int i = 1996; i < 2000; ++i) sound[i] = static_cast<char>(0xFF);
    sound[1996] = static_cast<char>(0xFE);
    QByteArray screen(24, '\0');
    for (int i = 0; i < 24; ++i) screen[i] = static_cast<char>(i * 10);

    ASSERT_TRUE(CallReturnsTrue(QStringLiteral("CompanionData"), {1u, sound}));
    ASSERT_TRUE(CallReturnsTrue(QStringLiteral("CompanionData"), {2u, screen}));
    ASSERT_EQ(commands.sounds.size(), 1u);
    EXPECT_EQ(commands.sounds[0][0], 0x04030201);
    EXPECT_EQ(commands.sounds[0][1], 0);
    EXPECT_EQ(commands.sounds[0][499], -2);
    ASSERT_EQ(commands.screens.size(), 1u);
    EXPECT_EQ(commands.screens[0][0], 0);
    EXPECT_EQ(commands.screens[0][23], 230);
}

TEST_F(ManagerServiceTest, WindowRequestsReachTheMainWindow) {
    Call(QStringLiteral("ShowProgress"));
    Call(QStringLiteral("OpenSettings"));
    Call(QStringLiteral("OpenSettings"));
    Call(QStringLiteral("Raise"));
    EXPECT_EQ(commands.progress, 1);
    EXPECT_EQ(commands.settings, 2);
    EXPECT_EQ(commands.raises, 1);
}

// Every member of one interface of an introspection document, as
// comparable text: "method GameEvent(s name,i action,i effect -> b)". The
// order of in and out arguments among each other does not matter.
QStringList InterfaceMembers(const QString& xml, const QString& interfaceName) {
    QStringList members;
    QXmlStreamReader reader(xml);
    bool inside = false;
    QString member;
    QStringList ins;
    QStringList outs;
    while (!reader.atEnd()) {
        reader.readNext();
        const QString name = reader.name().toString();
        if (reader.isStartElement()) {
            const auto attributes = reader.attributes();
            const QString attributeName = attributes.value(QLatin1String("name")).toString();
            const QString type = attributes.value(QLatin1String("type")).toString();
            if (name == QLatin1String("interface")) {
                inside = attributeName == interfaceName;
            } else if (!inside) {
                continue;
            } else if (name == QLatin1String("method") || name == QLatin1String("signal")) {
                member = name + QLatin1Char(' ') + attributeName;
                ins.clear();
                outs.clear();
            } else if (name == QLatin1String("property")) {
                members << QStringLiteral("property %1 %2 %3")
                               .arg(attributeName, type, attributes.value(QLatin1String("access")).toString());
            } else if (name == QLatin1String("arg")) {
                // Signal arguments carry names; method results need none.
                if (member.startsWith(QLatin1String("method")) &&
                    attributes.value(QLatin1String("direction")) == QLatin1String("out")) {
                    outs << type;
                } else {
                    ins << type + QLatin1Char(' ') + attributeName;
                }
            }
        } else if (reader.isEndElement() && inside) {
            if (name == QLatin1String("method") || name == QLatin1String("signal")) {
                members << member + QLatin1Char('(') + ins.join(QLatin1Char(',')) +
                               (outs.isEmpty() ? QString() : QStringLiteral(" -> ") + outs.join(QLatin1Char(','))) +
                               QLatin1Char(')');
            }
            if (name == QLatin1String("interface")) inside = false;
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    members.sort();
    return members;
}

TEST_F(ManagerServiceTest, PublishedInterfaceMatchesItsDescriptionFile) {
    QFile file(QStringLiteral(IVRA_SOURCE_DIR "/ui/dbus/org.ivra.WirelessManager1.xml"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList described = InterfaceMembers(QString::fromUtf8(file.readAll()), QLatin1String(kManagerInterface));

    QDBusMessage introspect = QDBusMessage::createMethodCall(
        QLatin1String(kManagerServiceName), QLatin1String(kManagerObjectPath),
        QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"));
    const QDBusMessage reply = client.call(introspect, QDBus::BlockWithGui, kCallTimeoutMs);
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    const QStringList published =
        InterfaceMembers(reply.arguments().first().toString(), QLatin1String(kManagerInterface));

    EXPECT_EQ(described.size(), 10);
    EXPECT_EQ(published, described);
}

TEST_F(ManagerServiceTest, SecondServiceFindsTheNameTakenAndRunsOn) {
    DebugCapture capture;
    FakeCommands otherCommands;
    ManagerService other(otherCommands);
    EXPECT_FALSE(other.Start(bus.Connect()));
    EXPECT_FALSE(other.IsRegistered());
    EXPECT_EQ(capture.lines.size(), 1u);
    // The first one still answers.
    Call(QStringLiteral("Raise"));
    EXPECT_EQ(commands.raises, 1);
    EXPECT_EQ(otherCommands.raises, 0);
}

TEST(DeviceListAnswer, TakesTheFirstFiveOptionRowsAndZeroFillsTheRest) {
    std::vector<DeviceOptionRow> options;
    for (int32_t i = 1; i <= 6; ++i) options.push_back({"", "", "", "", 0, 0x100 * i, 0x10 * i, i, 0});
    const DeviceCatalogue six({}, options, {}, {});
    options.resize(2);
    const DeviceCatalogue two({}, options, {}, {});

    const auto sixValues = Int32s(BuildDeviceListAnswer(six));
    const auto twoValues = Int32s(BuildDeviceListAnswer(two));
    ASSERT_EQ(sixValues.size(), 256u);
    ASSERT_EQ(twoValues.size(), 256u);
    EXPECT_EQ(sixValues[17], 0x500);  // row 5
    EXPECT_EQ(sixValues[19], 5);
    EXPECT_EQ(sixValues[20], 0);  // row 6 left out
    EXPECT_EQ(twoValues[4], 5);   // the header always counts five rows
    EXPECT_EQ(twoValues[10], 2);
    EXPECT_TRUE(std::all_of(twoValues.begin() + 11, twoValues.end(), [](int32_t v) { return v == 0; }));
}

TEST(SuspendPolicy, OnlyHookAndGameMessagesWaitForResume) {
    const std::pair<ManagerInput, bool> table[] = {
        {ManagerInput::InputHook, false},    {ManagerInput::GameEvent, false},
        {ManagerInput::DeviceArrival, true}, {ManagerInput::DeviceRemoval, true},
        {ManagerInput::LinkState, true},     {ManagerInput::LightControl, true},
        {ManagerInput::CompanionData, true}, {ManagerInput::ProgressIndicator, true},
        {ManagerInput::OpenSettings, true},  {ManagerInput::Raise, true},
    };
    for (const auto& [input, handled] : table) {
        EXPECT_EQ(HandledWhileSuspended(input), handled) << static_cast<int>(input);
    }
}

TEST(ManagerServiceWithoutBus, LogsOnceAndRunsOn) {
    DebugCapture capture;
    FakeCommands commands;
    ManagerService service(commands);
    const QDBusConnection noBus = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/ivra-bus"),
                                                                QStringLiteral("ivra-no-bus-test"));
    ASSERT_FALSE(noBus.isConnected());

    EXPECT_FALSE(service.Start(noBus));
    EXPECT_FALSE(service.Start(noBus));
    service.NotifyLightControl(true);
    ASSERT_EQ(capture.lines.size(), 1u);
    EXPECT_NE(capture.lines[0].find("no session bus"), std::string::npos) << capture.lines[0];
    // The commands still work from inside the program.
    EXPECT_TRUE(service.CompanionData(2, QByteArray(24, '\0')));
    EXPECT_EQ(commands.screens.size(), 1u);
    QDBusConnection::disconnectFromBus(QStringLiteral("ivra-no-bus-test"));
}

}  // namespace
}  // namespace ivra::dbus

#include "DBusManagerServiceTest.moc"
