// The project file codec: the layout byte for byte, round trips of generated
// projects, every fault of a damaged file, and a bounded mutation fuzz.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ide/files/project_file.h"
#include "qt_printers.h"

namespace project_file_test {
namespace {

const QByteArray kChipSaveData = "00010000000000040000000";

// Ports of the peripheral models the tests know; any other model cannot be made.
std::optional<std::int32_t> TestPortCount(const TProjectDevice& record)
{
    if (record.model == "LED")
        return 2;
    if (record.model == "Keypad 4x4")
        return 8;
    if (record.model == "Probe")
        return 1;
    return std::nullopt;
}

TProjectDevice Chip(const QByteArray& model = "PIC12F508", std::int32_t x = 30, std::int32_t y = 50)
{
    TProjectDevice chip;
    chip.kind = 0;
    chip.type = "Microchip PIC";
    chip.family = "BASELINE";
    chip.model = model;
    chip.x = x;
    chip.y = y;
    chip.saveData = kChipSaveData;
    return chip;
}

TProjectDevice Peripheral(const QByteArray& model, std::vector<std::optional<QByteArray>> ports)
{
    TProjectDevice device;
    device.kind = 3;
    device.type = "Output";
    device.family = "Indicators";
    device.model = model;
    device.x = 200;
    device.y = -7;
    device.saveData = "on";
    device.ports = std::move(ports);
    return device;
}

// The file of the layout written out field by field, independently of the
// encoder.
struct FileBuilder {
    QByteArray bytes;
    void utf16(const QString& text)
    {
        for (QChar unit : text) {
            bytes += char(unit.unicode() & 0xFF);
            bytes += char(unit.unicode() >> 8);
        }
    }
    void int32(std::int32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            bytes += char((std::uint32_t(value) >> shift) & 0xFF);
    }
    void image(const QByteArray& text)
    {
        QByteArray image(256, '\0');
        image[0] = char(text.size());
        image.replace(1, text.size(), text);
        bytes += image;
    }
    void text(const QByteArray& text)
    {
        bytes += char(text.size());
        image(text);
    }
    void header(const QString& source)
    {
        utf16("ZEMRAprojectXE1.0");
        utf16("ASM");
        int32(std::int32_t(source.size()));
        utf16(source);
        utf16("DED");
    }
    void record(const TProjectDevice& device)
    {
        bytes += char(device.kind);
        text(device.type);
        text(device.family);
        text(device.model);
        int32(device.x);
        int32(device.y);
        int32(std::int32_t(device.saveData.size()));
        bytes += device.saveData;
    }
};

TEST(ProjectFileTest, TheLayoutByteForByte)
{
    // Chip only, empty source: N = 0, D = 0, one record without port entries.
    FileBuilder chipOnly;
    chipOnly.header("");
    chipOnly.int32(0);
    chipOnly.record(Chip());
    ASSERT_EQ(chipOnly.bytes.size(), 34 + 6 + 4 + 6 + 4 + 784 + 23);
    TProjectDescription project{"", {Chip()}};
    EXPECT_EQ(EncodeProject(project), chipOnly.bytes);

    // A peripheral: one zero byte per unconnected port, 257 bytes per
    // connected one (the node's name length and its image).
    FileBuilder wired;
    wired.header("\tMOVLW 5\r\nЦикл:\tGOTO Цикл");
    wired.int32(1);
    wired.record(Chip());
    const TProjectDevice led = Peripheral("LED", {std::nullopt, QByteArray("GP2/T0CKI")});
    wired.record(led);
    wired.bytes += '\0';
    wired.bytes += char(9);
    wired.image("GP2/T0CKI");
    project = {"\tMOVLW 5\r\nЦикл:\tGOTO Цикл", {Chip(), led}};
    EXPECT_EQ(EncodeProject(project), wired.bytes);

    const TProjectReadResult read = DecodeProject(wired.bytes, TestPortCount);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.project, project);
    EXPECT_FALSE(read.unmadeDevice);
}

TEST(ProjectFileTest, TextsAreCutToTheirLengthByteAndTheImageTailIsIgnored)
{
    FileBuilder file;
    file.header("x");
    file.int32(0);
    TProjectDevice chip = Chip();
    chip.model = "PIC16F54garbage";
    file.record(chip);
    // Length byte 8 before an image that says 15: the text is cut to 8.
    const qsizetype modelAt = 34 + 6 + 4 + 2 + 6 + 4 + 1 + 257 + 257;
    file.bytes[modelAt] = char(8);
    file.bytes[modelAt + 1 + 20] = 'Z'; // beyond the text: ignored
    const TProjectReadResult read = DecodeProject(file.bytes, TestPortCount);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.project.devices.at(0).model, "PIC16F54");
}

QString RandomSource(std::mt19937& random)
{
    static const QStringList pieces = {"MOVLW 0Fh", "\t", " ", "; комментарий", "Метка:", "GOTO lbl1", "😀",
        "𝄞", "x", "Ёё", "\t\t", "BSF 06h, 3"};
    QStringList lines;
    const int count = int(random() % 12);
    for (int line = 0; line < count; ++line) {
        QString text;
        const int parts = int(random() % 5);
        for (int part = 0; part < parts; ++part)
            text += pieces[qsizetype(random() % pieces.size())];
        lines << text; // some stay empty
    }
    return SourceTextFromLines(lines);
}

QByteArray RandomBytes(std::mt19937& random, int maxLength)
{
    QByteArray bytes(qsizetype(random() % (maxLength + 1)), '\0');
    for (char& byte : bytes)
        byte = char(random());
    return bytes;
}

TProjectDescription RandomProject(std::mt19937& random)
{
    TProjectDescription project;
    project.source = RandomSource(random);
    TProjectDevice chip = Chip(random() % 2 ? "PIC12F508" : "PIC16F59", std::int32_t(random() % 500),
        std::int32_t(random()));
    chip.saveData[0] = random() % 2 ? '1' : '0';
    project.devices.push_back(chip);
    static const QByteArray models[] = {"LED", "Keypad 4x4", "Probe"};
    const int peripherals = int(random() % 4);
    for (int index = 0; index < peripherals; ++index) {
        TProjectDevice device;
        device.kind = std::uint8_t(1 + random() % 255);
        device.type = "Тип " + QByteArray::number(index);
        device.family = RandomBytes(random, 40);
        device.model = models[random() % 3];
        device.x = std::int32_t(random());
        device.y = std::int32_t(random());
        device.saveData = RandomBytes(random, 600);
        const std::int32_t ports = *TestPortCount(device);
        for (std::int32_t port = 0; port < ports; ++port) {
            if (random() % 2)
                device.ports.emplace_back();
            else
                device.ports.emplace_back(random() % 2 ? QByteArray("GP0") : QByteArray("RB7/узел"));
        }
        project.devices.push_back(device);
    }
    return project;
}

TEST(ProjectFileTest, GeneratedProjectsRoundTrip)
{
    std::mt19937 random(102);
    for (int round = 0; round < 300; ++round) {
        const TProjectDescription project = RandomProject(random);
        const QByteArray file = EncodeProject(project);
        const TProjectReadResult read = DecodeProject(file, TestPortCount);
        ASSERT_TRUE(read.ok()) << round;
        ASSERT_EQ(read.project, project) << round;
        ASSERT_EQ(EncodeProject(read.project), file) << round;
    }
}

TEST(ProjectFileTest, SourceLinesSurviveWhateverTheirEnds)
{
    const QStringList lines = {"\tMOVLW 0Fh ; тест", "", "😀\tметка:", "", "end"};
    const QString text = SourceTextFromLines(lines);
    EXPECT_EQ(text, "\tMOVLW 0Fh ; тест\r\n\r\n😀\tметка:\r\n\r\nend");
    EXPECT_EQ(SourceLinesFromText(text), lines);
    EXPECT_EQ(SourceLinesFromText("a\nb\rc\r\nd"), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(SourceLinesFromText(""), QStringList({""}));
    TProjectDescription project{text, {Chip()}};
    const TProjectReadResult read = DecodeProject(EncodeProject(project), TestPortCount);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(SourceLinesFromText(read.project.source), lines);
}

TEST(ProjectFileTest, LongTextsAreCutWithoutSplittingACharacterAndEmptyNodeNamesAreWrittenUnconnected)
{
    TProjectDevice led = Peripheral("LED", {QByteArray(""), QByteArray("GP1")});
    led.family = QByteArray(254, 'a') + "ж"; // 256 bytes: the two-byte letter does not fit
    TProjectDescription project{"", {Chip(), led}};
    const TProjectReadResult read = DecodeProject(EncodeProject(project), TestPortCount);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.project.devices[1].family, QByteArray(254, 'a'));
    EXPECT_EQ(read.project.devices[1].ports, (std::vector<std::optional<QByteArray>>{std::nullopt, "GP1"}));
}

TEST(ProjectFileTest, APeripheralThatCannotBeMadeEndsTheReadingOfDevices)
{
    TProjectDevice unknown = Peripheral("Servo", {});
    unknown.saveData = "its own data";
    const TProjectDescription project{"src", {Chip(), Peripheral("LED", {std::nullopt, std::nullopt}), unknown,
                                          Peripheral("Probe", {QByteArray("GP0")})}};
    const QByteArray file = EncodeProject(project);
    int asked = 0;
    const TProjectReadResult read = DecodeProject(file, [&](const TProjectDevice& record) {
        ++asked;
        return TestPortCount(record);
    });
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(asked, 2);
    ASSERT_EQ(read.project.devices.size(), 2u);
    EXPECT_EQ(read.project.devices[1].model, "LED");
    ASSERT_TRUE(read.unmadeDevice);
    EXPECT_EQ(read.unmadeDevice->model, "Servo");
    EXPECT_EQ(read.unmadeDevice->saveData, "its own data");
}

TEST(ProjectFileTest, DamagedFilesAreRefusedWithTheirFault)
{
    const TProjectDescription project{"ab", {Chip(), Peripheral("LED", {QByteArray("GP0"), std::nullopt})}};
    const QByteArray sound = EncodeProject(project);
    const qsizetype sourceLengthAt = 40;
    const qsizetype deviceCountAt = 44 + 4 + 6;
    const qsizetype chipSizeAt = deviceCountAt + 4 + 780;
    const qsizetype ledSizeAt = chipSizeAt + 4 + 23 + 780;

    auto withInt32 = [&](qsizetype at, std::int32_t value) {
        QByteArray bytes = sound;
        for (int byte = 0; byte < 4; ++byte)
            bytes[at + byte] = char((std::uint32_t(value) >> (8 * byte)) & 0xFF);
        return bytes;
    };
    auto withByte = [&](qsizetype at, char value) {
        QByteArray bytes = sound;
        bytes[at] = value;
        return bytes;
    };
    QByteArray shortChip = EncodeProject({"ab", {Chip()}});
    TProjectDevice badFrequency = Chip();
    badFrequency.saveData[17] = 'x';
    TProjectDevice shortData = Chip();
    shortData.saveData.chop(1);

    struct Case {
        const char* name;
        QByteArray bytes;
        TProjectFault fault;
    };
    const Case cases[] = {
        {"empty", "", TProjectFault::Signature},
        {"signature", withByte(2, 'X'), TProjectFault::Signature},
        {"source tag", withByte(34, 'B'), TProjectFault::SourceTag},
        {"source length negative", withInt32(sourceLengthAt, -1), TProjectFault::SourceLength},
        {"source length huge", withInt32(sourceLengthAt, INT_MAX), TProjectFault::SourceLength},
        {"source length past the end", withInt32(sourceLengthAt, std::int32_t((sound.size() - 44) / 2 + 1)),
            TProjectFault::SourceLength},
        {"source length one more", withInt32(sourceLengthAt, 3), TProjectFault::DeviceTag},
        {"device tag", withByte(44 + 4 + 2, 'd'), TProjectFault::DeviceTag},
        {"no device record", withInt32(deviceCountAt, -1), TProjectFault::DeviceCount},
        {"device count huge", withInt32(deviceCountAt, INT_MAX), TProjectFault::DeviceCount},
        {"device count negative", withInt32(deviceCountAt, INT_MIN), TProjectFault::DeviceCount},
        {"one record more than there is", withInt32(deviceCountAt, 2), TProjectFault::DeviceCount},
        {"save data size negative", withInt32(chipSizeAt, -1), TProjectFault::Truncated},
        {"save data size huge", withInt32(chipSizeAt, INT_MAX), TProjectFault::Truncated},
        {"peripheral save data past the end",
            withInt32(ledSizeAt, std::int32_t(sound.size() - ledSizeAt - 4 + 1)), TProjectFault::Truncated},
        {"second port entry missing", sound.left(sound.size() - 1), TProjectFault::Truncated},
        {"first port's name cut", sound.left(sound.size() - 2), TProjectFault::Truncated},
        {"chip save data short", EncodeProject({"", {shortData}}), TProjectFault::ChipSaveData},
        {"chip frequency not digits", EncodeProject({"", {badFrequency}}), TProjectFault::ChipSaveData},
        {"chip save data empty", withInt32(chipSizeAt, 0), TProjectFault::ChipSaveData},
        {"a second microcontroller", EncodeProject({"", {Chip(), Chip("PIC12F509"), project.devices[1]}}),
            TProjectFault::SecondChip},
    };
    for (const Case& c : cases) {
        const TProjectReadResult read = DecodeProject(c.bytes, TestPortCount);
        EXPECT_EQ(int(read.fault), int(c.fault)) << c.name;
        EXPECT_TRUE(read.project.devices.empty()) << c.name;
    }
    ASSERT_TRUE(DecodeProject(shortChip, TestPortCount).ok());

    // A library that reports an impossible port count.
    for (const std::int32_t ports : {-1, INT_MAX, 3}) {
        const TProjectReadResult read = DecodeProject(sound, [&](const TProjectDevice&) {
            return std::optional<std::int32_t>(ports);
        });
        EXPECT_EQ(int(read.fault), int(TProjectFault::Truncated)) << ports;
    }
}

TEST(ProjectFileTest, FilesAreWrittenWholeOrNotAtAll)
{
    QTemporaryDir dir;
    const QString name = dir.filePath("project.ZEMRA");
    const TProjectDescription first{"first", {Chip()}};
    ASSERT_TRUE(WriteProjectFile(name, first));
    const TProjectReadResult read = ReadProjectFile(name, TestPortCount);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.project, first);

    // A folder that cannot be written keeps the old file as it was.
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QString error;
    const bool written = WriteProjectFile(name, {"second", {Chip()}}, &error);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!written) {
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(ReadProjectFile(name, TestPortCount).project, first);
    } // else: running as root, which writes anyway

    EXPECT_FALSE(WriteProjectFile(dir.filePath("no/such/folder/p.zemra"), first, &error));
    const TProjectReadResult missing = ReadProjectFile(dir.filePath("missing.zemra"), TestPortCount, &error);
    EXPECT_EQ(int(missing.fault), int(TProjectFault::Unreadable));
}

// Damaged variants of sound files: the reader either gives a complete
// project that writes back to the same project, or a fault with nothing in
// it. Run under the address sanitizer, it also shows no read past the input.
TEST(ProjectFileFuzzTest, DamagedAndRandomFilesGiveAProjectOrAFault)
{
    std::mt19937 random(8102);
    int projects = 0;
    int faults = 0;
    auto check = [&](const QByteArray& bytes) {
        const TProjectReadResult read = DecodeProject(bytes, TestPortCount);
        if (read.ok()) {
            ++projects;
            ASSERT_FALSE(read.project.devices.empty());
            ASSERT_TRUE(IsSoundChipSaveData(read.project.devices[0].saveData));
            const TProjectReadResult again = DecodeProject(EncodeProject(read.project), TestPortCount);
            ASSERT_TRUE(again.ok());
            ASSERT_EQ(again.project, read.project);
        } else {
            ++faults;
            ASSERT_TRUE(read.project.devices.empty());
            ASSERT_TRUE(read.project.source.isEmpty());
        }
    };

    for (int round = 0; round < 200; ++round)
        check(RandomBytes(random, 2000));

    for (int round = 0; round < 4; ++round) {
        TProjectDescription project = RandomProject(random);
        project.devices.push_back(Peripheral("Probe", {QByteArray("GP0")}));
        const QByteArray sound = EncodeProject(project);
        for (qsizetype cut = 0; cut < sound.size(); ++cut) {
            check(sound.left(cut));
            if (HasFatalFailure())
                return;
        }

        // Every 32-bit field and every length byte set to the values that
        // break readers.
        for (qsizetype at = 0; at + 4 <= sound.size(); ++at) {
            for (const std::int64_t value : {std::int64_t(0), std::int64_t(-1), std::int64_t(INT_MAX),
                     std::int64_t(sound.size() - at - 4 + 1), std::int64_t((sound.size() - at - 4) / 2 + 1)}) {
                QByteArray bytes = sound;
                for (int byte = 0; byte < 4; ++byte)
                    bytes[at + byte] = char((std::uint64_t(value) >> (8 * byte)) & 0xFF);
                check(bytes);
            }
            if (HasFatalFailure())
                return;
        }
        for (int mutation = 0; mutation < 2000; ++mutation) {
            QByteArray bytes = sound;
            const int edits = 1 + int(random() % 4);
            for (int edit = 0; edit < edits; ++edit)
                bytes[qsizetype(random() % bytes.size())] = char(random());
            check(bytes);
        }
    }
    EXPECT_GT(projects, 0);
    EXPECT_GT(faults, 0);
}

} // namespace

namespace {

// A file written by hand from the layout (the fuzzers' seed) reads as its
// project and writes back byte for byte.
TEST(ProjectFileTest, AFileWrittenFromTheLayoutReadsAndWritesBackByteForByte)
{
    QFile file(QStringLiteral(TW_SOURCE_DIR "/tests/files/fuzz/seeds/project.zemra"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const TProjectReadResult read = DecodeProject(bytes, [](const TProjectDevice& record) {
        return record.model == "B" ? std::optional<std::int32_t>(3) : std::nullopt;
    });
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.project.source, "\tMOVLW 0Fh\r\nЦикл:\tGOTO Цикл ; 😀");
    ASSERT_EQ(read.project.devices.size(), 2u);
    EXPECT_EQ(read.project.devices[0].model, "PIC12F508");
    EXPECT_EQ(read.project.devices[0].saveData, "00010000000000040000000");
    EXPECT_EQ(read.project.devices[1].y, -7);
    EXPECT_EQ(read.project.devices[1].ports,
        (std::vector<std::optional<QByteArray>>{QByteArray("GP0"), std::nullopt, QByteArray("GP2/T0CKI")}));
    EXPECT_EQ(EncodeProject(read.project), bytes);
}

} // namespace

} // namespace project_file_test
