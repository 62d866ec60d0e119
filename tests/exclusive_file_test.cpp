// The file a snapshot holds while it writes its folder: one holder at a time, free again
// once released, and taken over where a holder that ended left it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "host/this_machine.h"
#include "support/case_label.h"

namespace {

using testing_support::operator<<;

namespace fs = std::filesystem;

enum class Before { nothing, held, held_and_released, left_behind, folder_missing };

struct ExclusiveFileCase {
    const char* label;
    Before before;
    bool taken;
    bool held_elsewhere;
};

const ExclusiveFileCase exclusive_file_cases[] = {
    {"free_file_taken", Before::nothing, true, false},
    {"held_file_refused", Before::held, false, true},
    {"released_file_taken_again", Before::held_and_released, true, false},
    {"file_left_behind_taken_over", Before::left_behind, true, false},
    {"missing_folder_refused", Before::folder_missing, false, false},
};

class ExclusiveFile : public ::testing::TestWithParam<ExclusiveFileCase> {};

TEST_P(ExclusiveFile, OneHolderAtATime) {
    const ExclusiveFileCase& c = GetParam();
    const fs::path folder = fs::temp_directory_path() / ("vantrel-claim-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    const fs::path path = (c.before == Before::folder_missing ? folder / "missing" : folder) / ".snapshot.lock";
    bool held_elsewhere = false;
    std::string error;
    auto earlier = std::make_unique<host::ExclusiveFile>();
    if (c.before == Before::held || c.before == Before::held_and_released) {
        ASSERT_TRUE(earlier->take(path.u8string(), held_elsewhere, error)) << error;
    }
    if (c.before == Before::held_and_released) earlier.reset();
    if (c.before == Before::left_behind) std::ofstream(path) << "left by a run that ended";
    {
        host::ExclusiveFile claim;
        EXPECT_EQ(claim.take(path.u8string(), held_elsewhere, error), c.taken) << error;
        EXPECT_EQ(held_elsewhere, c.held_elsewhere) << error;
    }
    earlier.reset();
    // Released by every holder: nothing is left behind.
    EXPECT_FALSE(fs::exists(path));
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExclusiveFile, ::testing::ValuesIn(exclusive_file_cases), testing_support::by_label);

}  // namespace
