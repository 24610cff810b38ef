// Replays every saved fuzz input through the entry function its fuzz target uses: the
// seeds (valid files written by the program) must be accepted and hold together; the
// inputs that once made a reader fail (crash-*) must now be handled soundly.
#include "fuzz/FuzzEntries.h"
#include "support/BoardFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{

struct Target {
    const char* folder; // under the fuzz data folder, named as the fuzz target
    FuzzResult (*entry)(FuzzBytes);
};

const Target kTargets[] = {
    {"DocumentFuzz", FuzzDocument},
    {"LayerDatFuzz", FuzzLayerDat},
    {"LibDatFuzz", FuzzLibDat},
    {"LibraryFuzz", FuzzLibrary},
};

std::vector<fs::path> InputsOf(const Target& target)
{
    std::vector<fs::path> files;
    const fs::path folder = fs::path(VANTOR_FUZZ_DATA_DIR) / target.folder;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec))
        if (e.is_regular_file())
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::uint8_t> Load(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class FuzzRegressionTest : public BoardTest, public ::testing::WithParamInterface<Target>
{
};

TEST_P(FuzzRegressionTest, EverySavedInputIsHandledSoundly)
{
    const Target& target = GetParam();
    const std::vector<fs::path> files = InputsOf(target);
    std::size_t seeds = 0;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        const std::vector<std::uint8_t> bytes = Load(file);
        const FuzzResult result = target.entry(bytes);
        EXPECT_EQ(result.fault, "");
        if (file.filename().string().rfind("crash-", 0) != 0) {
            ++seeds;
            EXPECT_TRUE(result.accepted) << "a file written by the program was refused";
        }
        // The board is left empty for the next input.
        EXPECT_FALSE(board().HasEntities());
    }
    EXPECT_GT(seeds, 0u) << "no seed files for " << target.folder;
}

INSTANTIATE_TEST_SUITE_P(Readers, FuzzRegressionTest, ::testing::ValuesIn(kTargets),
                         [](const auto& p) { return std::string(p.param.folder); });

} // namespace
