#include "board/LayerTable.h"
#include "board/AtomicFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{

using Bytes = std::vector<std::uint8_t>;

// A fresh folder per test, removed afterwards.
class TempFolder
{
  public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "vantor-layer-XXXXXX").string();
        EXPECT_NE(::mkdtemp(pattern.data()), nullptr);
        path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path, ec);
    }
    std::string File(const std::string& name) const { return (path / name).string(); }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(path))
            names.push_back(e.path().filename().string());
        return names;
    }
    fs::path path;
};

void Put(const std::string& file, const Bytes& bytes)
{
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes Get(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void U32(Bytes& b, std::uint32_t v, int bytes = 4)
{
    for (int i = 0; i < bytes; ++i)
        b.push_back(std::uint8_t(v >> (8 * i)));
}

// A "layer.dat" with the header, the 16-bit count and the given records.
Bytes LayerFile(const std::vector<tagCOLORTAB>& records)
{
    Bytes b;
    U32(b, LayerTable::kFileMagic);
    U32(b, LayerTable::kFileVersion);
    U32(b, std::uint32_t(records.size()), 2);
    for (const tagCOLORTAB& r : records) {
        U32(b, std::uint32_t(r.key));
        U32(b, r.color);
        U32(b, std::uint32_t(r.shown));
    }
    return b;
}

TEST(LayerTableTest, WriteThenReadGivesTheSameTableInTheDocumentedLayout)
{
    TempFolder folder;
    const std::string file = folder.File("layer.dat");
    LayerTable table;
    EXPECT_TRUE(table.HiddenKeys().empty());
    EXPECT_EQ(table.GetColor(40), LayerTable::kMissingColor);
    table.entries[0] = LayerEntry{MakeRGB(1, 2, 3), 0};
    table.entries[38] = LayerEntry{MakeRGB(250, 250, 250), 1};
    table.entries[16].shown = 0;
    std::string error;
    ASSERT_TRUE(table.Write(file, &error)) << error;

    const Bytes bytes = Get(file);
    ASSERT_EQ(bytes.size(), 4u + 4u + 2u + 40u * 12u);
    // Header, count 40, then the first record: key 0, colour 0x00030201, hidden.
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 22),
              (Bytes{'V', 'L', 'A', 'Y', 1, 0, 0, 0, 40, 0, 0, 0, 0, 0, 1, 2, 3, 0, 0, 0, 0, 0}));

    LayerTable back;
    back.entries.clear();
    ASSERT_TRUE(back.Read(file, &error)) << error;
    EXPECT_TRUE(error.empty());
    EXPECT_EQ(back.entries, table.entries);
    EXPECT_EQ(back.HiddenKeys(), (std::map<int, int>{{0, 1}, {16, 1}}));
}

TEST(LayerTableTest, UnknownKeysAreSkippedAndMissingKeysKeepTheirDefaults)
{
    TempFolder folder;
    const std::string file = folder.File("layer.dat");
    Put(file, LayerFile({
                  {5, MakeRGB(9, 9, 9), 0},
                  {40, MakeRGB(1, 1, 1), 0},
                  {-1, MakeRGB(1, 1, 1), 0},
                  {100000, MakeRGB(1, 1, 1), 0},
                  {7, 0xFF00FF00u, 7},          // stray top byte, odd shown value
                  {38, MakeRGB(20, 20, 20), 0}, // the background cannot be hidden
              }));
    LayerTable table;
    std::string error;
    ASSERT_TRUE(table.Read(file, &error)) << error;
    EXPECT_EQ(table.entries.size(), 40u);
    EXPECT_EQ(table.entries[5], (LayerEntry{MakeRGB(9, 9, 9), 0}));
    EXPECT_EQ(table.entries[7], (LayerEntry{0x0000FF00u, 1}));
    EXPECT_EQ(table.entries[38], (LayerEntry{MakeRGB(20, 20, 20), 1}));
    EXPECT_EQ(table.entries[6], (LayerEntry{LayerTable::DefaultColor(6), 1}));
    EXPECT_EQ(table.HiddenKeys(), (std::map<int, int>{{5, 1}}));
}

TEST(LayerTableTest, DamagedFilesAreRefusedAndLeaveTheDefaults)
{
    const Bytes good = LayerFile({{1, MakeRGB(9, 9, 9), 0}, {2, MakeRGB(8, 8, 8), 0}});
    Bytes hugeCount(good.begin(), good.begin() + 8);
    U32(hugeCount, 0xFFFF, 2);
    U32(hugeCount, 0x7FFFFFFF);
    hugeCount.resize(hugeCount.size() + 24);
    Bytes wrongMagic = good, wrongVersion = good, trailing = good;
    wrongMagic[0] = 'X';
    wrongVersion[4] = 2;
    trailing.push_back(0);
    const std::pair<const char*, Bytes> cases[] = {
        {"empty", {}},
        {"header only", Bytes(good.begin(), good.begin() + 8)},
        {"cut in a count", Bytes(good.begin(), good.begin() + 9)},
        {"cut in a record", Bytes(good.begin(), good.end() - 5)},
        {"huge count", hugeCount},
        // More records than any table has, all present in the file.
        {"too many records",
         LayerFile(std::vector<tagCOLORTAB>(LayerTable::kMaxRecords + 1, tagCOLORTAB{3, 0, 1}))},
        {"wrong magic", wrongMagic},
        {"wrong version", wrongVersion},
        {"trailing bytes", trailing},
        {"missing file", {}}, // a missing file is no error to report
    };
    TempFolder folder;
    const LayerTable defaults;
    for (const auto& [name, bytes] : cases) {
        const bool missing = name == std::string("missing file");
        const std::string file = folder.File(missing ? "absent.dat" : "layer.dat");
        if (!missing)
            Put(file, bytes);
        LayerTable table;
        table.entries[0].color = MakeRGB(4, 4, 4);
        table.entries.erase(9);
        std::string error = "stale";
        EXPECT_FALSE(table.Read(file, &error)) << name;
        EXPECT_EQ(error.empty(), missing) << name << ": " << error;
        EXPECT_EQ(table.entries, defaults.entries) << name;
    }
}

TEST(AtomicFileTest, WriteReplacesTheFileWholeAndLeavesNoTemporaryBehind)
{
    TempFolder folder;
    const std::string file = folder.File("data.bin");
    Put(file, Bytes(100, 'a'));
    ::chmod(file.c_str(), 0640);

    const std::string text = "new content";
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(file, text.data(), text.size(), &error)) << error;
    EXPECT_EQ(Get(file), Bytes(text.begin(), text.end()));
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"data.bin"});
    struct stat st {
    };
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    Bytes read;
    Put(file, Bytes(10, 'z'));
    EXPECT_TRUE(ReadWholeFile(file, &read, &error, 10));
    EXPECT_EQ(read, Bytes(10, 'z'));
    EXPECT_FALSE(ReadWholeFile(file, &read, &error, 9));
    EXPECT_TRUE(read.empty());
    EXPECT_FALSE(ReadWholeFile(folder.File("absent"), &read, &error, 100));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
}

TEST(AtomicFileTest, FailedWriteLeavesTheOldFileAndNoTemporary)
{
    TempFolder folder;
    const std::string text = "new";
    std::string error;
    EXPECT_FALSE(
        WriteFileAtomically(folder.File("missing/data.bin"), text.data(), text.size(), &error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;

    // The rename fails: the target is a folder with something in it.
    const std::string target = folder.File("target");
    fs::create_directories(target + "/inside");
    error.clear();
    EXPECT_FALSE(WriteFileAtomically(target, text.data(), text.size(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_directory(target + "/inside"));
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"target"});

    // A folder that cannot be written (the owner of everything ignores permissions).
    const std::string file = folder.File("old.bin");
    Put(file, Bytes{'o', 'l', 'd'});
    fs::permissions(folder.path, fs::perms::owner_read | fs::perms::owner_exec);
    if (::geteuid() != 0) {
        error.clear();
        EXPECT_FALSE(WriteFileAtomically(file, text.data(), text.size(), &error));
        EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
        EXPECT_EQ(Get(file), (Bytes{'o', 'l', 'd'}));
        LayerTable table;
        EXPECT_FALSE(table.Write(folder.File("layer.dat"), &error));
        EXPECT_FALSE(fs::exists(folder.File("layer.dat")));
    }
    fs::permissions(folder.path, fs::perms::owner_all);
}

} // namespace
