#include "board/CLoadLibrary.h"

#include "model/CComponent.h"
#include "model/CLine.h"
#include "model/CTxtTag.h"
#include "model/CViaPad.h"
#include "model/LibraryRecord.h"
#include "support/FakeUiServices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <strings.h>
#include <tuple>
#include <vector>

namespace
{

namespace fs = std::filesystem;
using Bytes = std::vector<BYTE>;
constexpr std::size_t kDirEnd = CLoadLibrary::kDirectoryEnd;

Bytes Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Spit(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool AllZero(const BYTE* from, const BYTE* to)
{
    return std::all_of(from, to, [](BYTE b) { return b == 0; });
}

// `tracks` tracks, then a text of `textLength` characters unless it is negative.
std::unique_ptr<CComponent> Footprint(const std::string& pattern, int tracks, int textLength = -1)
{
    auto c = std::make_unique<CComponent>(pattern);
    for (int i = 0; i < tracks; ++i) {
        CLine track(Position(10.0 * i, 0), Position(10.0 * i + 5, 50));
        c->AddEntity(&track, 0);
    }
    if (textLength >= 0) {
        CTxtTag text;
        std::string s;
        for (int i = 0; i < textLength; ++i)
            s += char('a' + i % 26);
        text.SetName(s);
        c->AddEntity(&text, 0);
    }
    return c;
}

// A library file written byte by byte.
struct LibBytes {
    explicit LibBytes(const char* magic = "PROTEL PCBLIB 22") : bytes(kDirEnd, 0)
    {
        std::memcpy(bytes.data(), magic, std::strlen(magic));
    }
    void Entry(const std::string& name, int count, int block)
    {
        BYTE* e = &bytes[std::size_t(32 + 32 * entries++)];
        std::memcpy(e, name.data(), std::min<std::size_t>(12, name.size()));
        LibRecord::PutU16(e + 12, std::uint16_t(count));
        LibRecord::PutU16(e + 14, std::uint16_t(block));
    }
    std::size_t Record(int kind, std::size_t size)
    {
        const std::size_t at = bytes.size();
        bytes.resize(at + size, 0);
        LibRecord::PutHeader(&bytes[at], std::uint16_t(kind), LAYER_TOP);
        return at;
    }
    void Track(double x)
    {
        const std::size_t at = Record(LibRecord::Track, 32);
        LibRecord::PutI32(&bytes[at + 4], LibRecord::ToLength(x));
        LibRecord::PutI32(&bytes[at + 12], LibRecord::ToLength(x + 100));
        LibRecord::PutI32(&bytes[at + 20], LibRecord::ToLength(10));
    }
    // A component of `tracks` tracks appended at the end, in the next entry.
    void Tracks(const std::string& name, int tracks)
    {
        Entry(name, tracks, int(bytes.size() / 32));
        for (int i = 0; i < tracks; ++i)
            Track(i);
    }
    Bytes bytes;
    int entries = 0;
};

struct DirEntry {
    std::string name;
    int count;
    std::size_t offset;
};

// Checks a library file as this program leaves it: the header, directory entries with
// unique names ending at the first empty one and zero behind it, and bodies that follow
// each other in directory order from the end of the directory to the end of the file,
// each exactly as long as its records. Returns the directory.
std::vector<DirEntry> CheckLibrary(const Bytes& f)
{
    std::vector<DirEntry> dir;
    if (f.size() < kDirEnd) {
        ADD_FAILURE() << "a library of " << f.size() << " bytes";
        return dir;
    }
    EXPECT_EQ(0, std::memcmp(f.data(), "PROTEL PCBLIB 22", 17));
    EXPECT_TRUE(AllZero(&f[17], &f[32]));
    int i = 0;
    for (; i < CLoadLibrary::kMaxEntries; ++i) {
        const BYTE* e = &f[std::size_t(32 + 32 * i)];
        const std::string name(reinterpret_cast<const char*>(e),
                               strnlen(reinterpret_cast<const char*>(e), 12));
        const int block = LibRecord::GetU16(e + 14);
        if (name.empty() || block == 0)
            break;
        EXPECT_TRUE(AllZero(e + 16, e + 32)) << name;
        for (const DirEntry& d : dir)
            EXPECT_NE(0, strcasecmp(d.name.c_str(), name.c_str())) << name;
        dir.push_back({name, LibRecord::GetU16(e + 12), std::size_t(block) * 32});
    }
    EXPECT_TRUE(AllZero(&f[std::size_t(32 + 32 * i)], &f[kDirEnd]));

    std::size_t at = kDirEnd;
    for (const DirEntry& d : dir) {
        EXPECT_EQ(at, d.offset) << d.name;
        at = d.offset;
        for (int r = 0; r < d.count && at + 32 <= f.size(); ++r) {
            const int kind = LibRecord::GetU16(&f[at]);
            const int size = kind == LibRecord::Text
                                 ? (LibRecord::GetI32(&f[at + 24]) + 31) / 32 * 32 + 32
                                 : CComponent::LookupMap(kind);
            if (size <= 0) {
                ADD_FAILURE() << d.name << ": record kind " << kind << " at " << at;
                return dir;
            }
            at += std::size_t(size);
        }
    }
    EXPECT_EQ(at, f.size());
    return dir;
}

std::vector<std::string> Names(CLoadLibrary& lib)
{
    std::vector<std::string> names;
    for (std::string n = lib.GetFirstComponentName(); !n.empty(); n = lib.GetNextComponentName())
        names.push_back(n);
    return names;
}

class LibraryTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "vantor-lib-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        path = folder + "/parts.lib";
        UiServices::Install(&ui);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }

    // Adds and expects the library to take the component; returns the stored name.
    std::string Add(CLoadLibrary& lib, std::unique_ptr<CComponent> c)
    {
        CComponent* raw = c.get();
        EXPECT_TRUE(lib.AddComponent(raw));
        c.release();
        return raw->GetPattern();
    }

    std::string folder;
    std::string path;
    FakeUiServices ui;
};

// ---------------------------------------------------------------------------------

TEST_F(LibraryTest, MissingFileBecomesAnEmptyLibraryAndTheFirstBodyStartsAfterTheDirectory)
{
    CLoadLibrary lib(path);
    ASSERT_TRUE(lib.IsOpen()) << lib.GetLastError();
    Bytes f = Slurp(path);
    ASSERT_EQ(kDirEnd, f.size());
    EXPECT_TRUE(CheckLibrary(f).empty());
    EXPECT_EQ("", lib.GetFirstComponentName());

    auto c = Footprint("DIP8", 2);
    CViaPad via(Position(-25, 40));
    c->AddEntity(&via, 0);
    Bytes body(96, 0);
    int end = 0;
    c->WriteLibraryRecord(body.data(), &end);
    EXPECT_EQ("DIP8", Add(lib, std::move(c)));
    EXPECT_FALSE(lib.IsModified());

    f = Slurp(path);
    ASSERT_EQ(kDirEnd + 96, f.size());
    EXPECT_EQ(0, std::memcmp(&f[32], "DIP8\0", 5));
    EXPECT_EQ(3, LibRecord::GetU16(&f[32 + 12]));
    EXPECT_EQ(2001, LibRecord::GetU16(&f[32 + 14]));
    EXPECT_TRUE(std::equal(body.begin(), body.end(), f.begin() + kDirEnd));
    EXPECT_EQ(kDirEnd, std::size_t(lib.FindComponent("dip8")->GetLibraryOffset()));

    CLoadLibrary back;
    ASSERT_TRUE(back.Open(path));
    CComponent* read = back.FindComponent("DIP8");
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(3u, read->GetChildren().size());
    EXPECT_EQ(ET_VIA, read->GetChildren()[2]->GetType());
    EXPECT_NEAR(-25.0, read->GetChildren()[2]->GetPosition().x, 1e-4);
}

TEST_F(LibraryTest, TakenNamesAreRenumberedWithinTheNameField)
{
    CLoadLibrary lib(path);
    const std::pair<std::string, std::string> adds[] = {
        {"DIP8", "DIP8"},
        {"dip8", "dip9"},
        {"DIP9", "DIP10"},
        {"ABCDEFGHIJKL", "ABCDEFGHIJKL"},
        {"ABCDEFGHIJKL", "ABCDEFGHIJK1"},
        {"abcdefghijklmnop", "abcdefghijk2"},
        {"ABCDEFGHIJ99", "ABCDEFGHIJ99"},
        {"ABCDEFGHIJ99", "ABCDEFGHI100"},
        {std::string("R\0\0\0", 4), "R"},
        {"R", "R1"},
        {"", "1"},
        {"", "2"},
    };
    std::vector<std::string> stored;
    for (const auto& [pattern, expected] : adds) {
        EXPECT_EQ(expected, Add(lib, Footprint(pattern, 1))) << pattern;
        stored.push_back(expected);
    }
    const Bytes f = Slurp(path);
    const std::vector<DirEntry> dir = CheckLibrary(f);
    ASSERT_EQ(stored.size(), dir.size());
    for (std::size_t i = 0; i < dir.size(); ++i)
        EXPECT_EQ(stored[i], dir[i].name);
    // A 12-character name fills its field: the record count follows at once.
    EXPECT_EQ(0, std::memcmp(&f[32 + 3 * 32], "ABCDEFGHIJKL\x01", 13));

    CLoadLibrary back(path);
    EXPECT_EQ(stored, Names(back));
}

TEST_F(LibraryTest, TextRecordsTakeTheBlocksTheirLengthNeeds)
{
    const std::pair<int, std::size_t> texts[] = {{0, 32}, {31, 64}, {32, 64}, {33, 96}};
    {
        CLoadLibrary lib(path);
        for (const auto& [length, size] : texts)
            Add(lib, Footprint("T" + std::to_string(length), 0, length));
    }
    const Bytes f = Slurp(path);
    const std::vector<DirEntry> dir = CheckLibrary(f);
    ASSERT_EQ(4u, dir.size());
    CLoadLibrary back(path);
    for (std::size_t i = 0; i < 4; ++i) {
        const auto& [length, size] = texts[i];
        const std::size_t next = i + 1 < dir.size() ? dir[i + 1].offset : f.size();
        EXPECT_EQ(size, next - dir[i].offset) << length;
        CComponent* c = back.FindComponent(dir[i].name);
        ASSERT_TRUE(c && c->GetChildren().size() == 1) << length;
        EXPECT_EQ(std::size_t(length), std::strlen(c->GetChildren()[0]->GetName())) << length;
    }
}

// A body is removed with the span it has in the file, whatever its records would take
// if written again, and each entry is moved by where its own body lies.
TEST_F(LibraryTest, RemovalUsesTheBodyAsItLiesInTheFile)
{
    LibBytes lib;
    // Entry 0's body (an old-form pad and a track) lies behind entry 1's, which is a
    // track followed by a block no record count reaches.
    lib.Entry("P", 2, 2003);
    lib.Entry("T", 1, 2001);
    lib.Track(0);
    lib.Track(999);
    const std::size_t pad = lib.Record(LibRecord::PadOld, 64);
    LibRecord::PutI32(&lib.bytes[pad + 4], LibRecord::ToLength(30));
    LibRecord::PutI32(&lib.bytes[pad + 12], LibRecord::ToLength(60));
    LibRecord::PutI32(&lib.bytes[pad + 16], LibRecord::ToLength(60));
    LibRecord::PutU16(&lib.bytes[pad + 24], 2);
    std::memcpy(&lib.bytes[pad + 33], "12AB", 4);
    lib.Track(5);
    Spit(path, lib.bytes);

    CLoadLibrary library;
    ASSERT_TRUE(library.Open(path)) << library.GetLastError();
    CComponent* p = library.FindComponent("P");
    ASSERT_EQ(2u, p->GetChildren().size());
    CEntity* readPad = p->GetChildren()[0];
    EXPECT_EQ(ET_FREEPAD, readPad->GetType());
    EXPECT_EQ("12AB", std::string(readPad->GetName()));
    EXPECT_NEAR(30.0, readPad->GetPosition().x, 1e-4);

    // "T" spans two blocks up to the next body.
    ASSERT_NE(nullptr, library.RemoveComponent(library.FindComponent("T")));
    Bytes f = Slurp(path);
    ASSERT_EQ(lib.bytes.size() - 64, f.size());
    EXPECT_EQ(2001, LibRecord::GetU16(&f[32 + 14]));
    EXPECT_TRUE(AllZero(&f[64], &f[kDirEnd]));
    EXPECT_TRUE(std::equal(f.begin() + kDirEnd, f.end(), lib.bytes.begin() + kDirEnd + 64));
    EXPECT_EQ(kDirEnd, std::size_t(p->GetLibraryOffset()));
    CLoadLibrary back(path);
    ASSERT_TRUE(back.IsOpen()) << back.GetLastError();
    EXPECT_EQ("12AB", std::string(back.FindComponent("P")->GetChildren()[0]->GetName()));

    // Written again the pad would take 96 bytes; in the file it takes 64.
    ASSERT_NE(nullptr, library.RemoveComponent(p));
    f = Slurp(path);
    EXPECT_EQ(kDirEnd, f.size());
    EXPECT_TRUE(CheckLibrary(f).empty());
}

TEST_F(LibraryTest, RandomAddsAndRemovesKeepTheFileConsistent)
{
    std::mt19937 rng(20240611);
    const char* pool[] = {"R", "r1", "C", "DIP8", "ABCDEFGHIJKL", "ABCDEFGHIJ99", "SO-16"};
    CLoadLibrary lib(path);
    // Stored name -> the body bytes it was added with, in directory order.
    std::vector<std::pair<std::string, Bytes>> model;

    for (int step = 0; step < 160; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        if (model.empty() || rng() % 5 < 3) {
            auto c = Footprint(pool[rng() % std::size(pool)], int(rng() % 4),
                               rng() % 3 ? -1 : int(rng() % 70));
            if (c->GetRecordSize() == 0) {
                EXPECT_FALSE(lib.AddComponent(c.get()));
                continue;
            }
            const std::string wanted = c->GetPattern();
            const bool taken = lib.HasComponent(wanted);
            Bytes body(std::size_t(c->GetRecordSize()), 0);
            int end = 0;
            c->WriteLibraryRecord(body.data(), &end);
            const std::string name = Add(lib, std::move(c));
            EXPECT_EQ(taken, name != wanted) << wanted << " -> " << name;
            model.emplace_back(name, body);
        } else {
            const std::size_t victim = rng() % model.size();
            // Found ignoring case; a component already removed is not removed again.
            std::string name = model[victim].first;
            for (char& ch : name)
                ch = char(std::tolower(static_cast<unsigned char>(ch)));
            if (step % 2) {
                EXPECT_TRUE(lib.RemoveComponentByName(name));
                EXPECT_FALSE(lib.RemoveComponentByName(name));
            } else {
                std::unique_ptr<CComponent> gone = lib.RemoveComponent(lib.FindComponent(name));
                ASSERT_NE(gone, nullptr);
                EXPECT_EQ(model[victim].first, gone->GetPattern());
                EXPECT_EQ(nullptr, lib.RemoveComponent(gone.get()));
            }
            model.erase(model.begin() + std::ptrdiff_t(victim));
        }

        const Bytes f = Slurp(path);
        const std::vector<DirEntry> dir = CheckLibrary(f);
        ASSERT_EQ(model.size(), dir.size());
        for (std::size_t i = 0; i < dir.size(); ++i) {
            EXPECT_EQ(model[i].first, dir[i].name);
            EXPECT_EQ(std::size_t(lib.FindComponent(dir[i].name)->GetLibraryOffset()),
                      dir[i].offset);
            EXPECT_TRUE(std::equal(model[i].second.begin(), model[i].second.end(),
                                   f.begin() + std::ptrdiff_t(dir[i].offset)))
                << dir[i].name;
        }
        if (step % 20 == 19) {
            CLoadLibrary back(path);
            ASSERT_TRUE(back.IsOpen()) << back.GetLastError();
            EXPECT_EQ(Names(lib), Names(back));
            for (const DirEntry& d : dir)
                EXPECT_EQ(lib.FindComponent(d.name)->GetChildren().size(),
                          back.FindComponent(d.name)->GetChildren().size());
        }
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LibraryTest, FullDirectoryBlockNumbersAndRecordCountsRefuseTheAdd)
{
    LibBytes full;
    for (int i = 0; i < CLoadLibrary::kMaxEntries; ++i)
        full.Tracks("P" + std::to_string(i), 1);
    Spit(path, full.bytes);
    {
        CLoadLibrary lib(path);
        ASSERT_EQ(2000, lib.GetComponentCount()) << lib.GetLastError();
        auto c = Footprint("X", 1);
        EXPECT_FALSE(lib.AddComponent(c.get()));
        EXPECT_EQ((std::vector<std::string>{CLoadLibrary::kFullError}), ui.messages);
        EXPECT_EQ(full.bytes, Slurp(path));
        ASSERT_NE(nullptr, lib.RemoveComponent(lib.FindComponent("P7")));
        EXPECT_TRUE(lib.AddComponent(c.release()));
        EXPECT_EQ(2000u, CheckLibrary(Slurp(path)).size());
    }

    // The last block a body can start on is 65535; a file that does not end on a block
    // gets its next body on the next whole block.
    LibBytes high;
    high.bytes.resize(65533u * 32);
    high.Tracks("HIGH", 1);
    high.bytes.resize(high.bytes.size() + 16);
    Spit(path, high.bytes);
    ui.messages.clear();
    CLoadLibrary lib(path);
    ASSERT_TRUE(lib.IsOpen()) << lib.GetLastError();
    EXPECT_EQ("LOW", Add(lib, Footprint("LOW", 1)));
    EXPECT_EQ(65535, LibRecord::GetU16(&Slurp(path)[64 + 14]));
    CLoadLibrary reopened(path);
    ASSERT_TRUE(reopened.IsOpen()) << reopened.GetLastError();
    EXPECT_EQ(1u, reopened.FindComponent("LOW")->GetChildren().size());
    auto more = Footprint("MORE", 1);
    EXPECT_FALSE(lib.AddComponent(more.get()));
    EXPECT_EQ(1u, ui.messages.size());

    // No more than 65535 records in one entry.
    lib.RemoveComponentByName("LOW");
    const Bytes before = Slurp(path);
    ui.messages.clear();
    auto huge = Footprint("HUGE", 65536);
    EXPECT_FALSE(lib.AddComponent(huge.get()));
    EXPECT_EQ(1u, ui.messages.size());
    EXPECT_EQ(before, Slurp(path));

    // A placeholder entry refuses silently.
    LibBytes dummy;
    dummy.Entry("A", 0, 0);
    Spit(path, dummy.bytes);
    CLoadLibrary withDummy(path);
    EXPECT_TRUE(withDummy.IsDummyEntry());
    EXPECT_FALSE(withDummy.AddComponent(more.get()));
}

TEST_F(LibraryTest, DamagedFilesAreRefusedAndLeftAlone)
{
    using Edit = void (*)(LibBytes&);
    const std::tuple<const char*, Edit, bool> cases[] = {
        {"the older header", [](LibBytes& l) { l = LibBytes("PROTEL PCBLIB 20"); }, true},
        {"another header", [](LibBytes& l) { l = LibBytes("PROTEL PCBLIB 21"); }, false},
        {"a line break after the header", [](LibBytes& l) { l.bytes[16] = '\n'; }, false},
        {"an empty file", [](LibBytes& l) { l.bytes.clear(); }, false},
        {"a cut directory", [](LibBytes& l) { l.bytes.pop_back(); }, false},
        {"a body beyond the file", [](LibBytes& l) { l.Entry("X", 1, 2002); }, false},
        {"a body inside the directory", [](LibBytes& l) { l.Entry("X", 1, 1000); }, false},
        {"two entries on one body", [](LibBytes& l) { l.Entry("Y", 1, 2001); }, false},
        {"a body running into the next",
         [](LibBytes& l) {
             l.Entry("Y", 1, 2002);
             l.Track(1);
             LibRecord::PutU16(&l.bytes[32 + 12], 2);
         },
         false},
        {"a body cut by the end of the file",
         [](LibBytes& l) { l.bytes.resize(l.bytes.size() - 8); }, false},
        {"more records than the body holds",
         [](LibBytes& l) { LibRecord::PutU16(&l.bytes[32 + 12], 2); }, false},
        {"a text longer than the file",
         [](LibBytes& l) {
             l.Entry("T", 1, int(l.bytes.size() / 32));
             const std::size_t at = l.Record(LibRecord::Text, 64);
             LibRecord::PutI32(&l.bytes[at + 24], 1 << 30);
         },
         false},
    };
    for (const auto& [what, edit, good] : cases) {
        SCOPED_TRACE(what);
        LibBytes lib;
        lib.Tracks("X", 1);
        edit(lib);
        Spit(path, lib.bytes);
        CLoadLibrary library;
        std::string error;
        EXPECT_EQ(good, library.Open(path, {}, nullptr, &error) != FALSE);
        EXPECT_EQ(good, library.IsOpen());
        if (!good) {
            EXPECT_EQ(CLoadLibrary::kFormatError, error);
        }
        EXPECT_EQ(lib.bytes, Slurp(path));
    }
    // Opening is told nothing by the user interface.
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LibraryTest, AnExistingFileThatCannotBeReadIsNeverReplaced)
{
    fs::create_directory(path);
    CLoadLibrary lib(path);
    EXPECT_FALSE(lib.IsOpen());
    EXPECT_FALSE(lib.GetLastError().empty());
    EXPECT_TRUE(fs::is_directory(path));

    // Neither is a missing file in a folder that is not there.
    const std::string nowhere = folder + "/missing/parts.lib";
    EXPECT_FALSE(lib.Open(nowhere));
    EXPECT_FALSE(fs::exists(folder + "/missing"));
}

TEST_F(LibraryTest, FailedSaveIsReportedAndRetriedWhenTheLibraryCloses)
{
    const std::string sub = folder + "/sub";
    fs::create_directory(sub);
    const std::string file = sub + "/parts.lib";
    {
        CLoadLibrary lib(file);
        ASSERT_TRUE(lib.IsOpen());
        fs::remove_all(sub);
        EXPECT_EQ("R", Add(lib, Footprint("R", 1)));
        EXPECT_TRUE(lib.IsModified());
        EXPECT_EQ(1u, ui.messages.size());
        fs::create_directory(sub);
    }
    EXPECT_EQ("R", CheckLibrary(Slurp(file)).at(0).name);
}

TEST_F(LibraryTest, OpeningReportsEachComponentAndStopsWhenCancelled)
{
    LibBytes bytes;
    bytes.Tracks("ONE", 1);
    bytes.Tracks("TWO", 2);
    Spit(path, bytes.bytes);

    // Cancelled while the first component is reported: nothing more is read.
    using Step = std::tuple<std::string, std::string, int, int>;
    std::vector<Step> seen;
    std::atomic<bool> cancel{false};
    CLoadLibrary cancelled;
    std::string error;
    EXPECT_FALSE(cancelled.Open(
        path,
        [&](const std::string& step, const std::string& item, int total, int current) {
            seen.emplace_back(step, item, total, current);
            cancel = true;
        },
        &cancel, &error));
    EXPECT_EQ(seen, std::vector<Step>{Step("Load component", "ONE", 2, 1)});
    EXPECT_FALSE(cancelled.IsOpen());
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(bytes.bytes, Slurp(path));
}

} // namespace
