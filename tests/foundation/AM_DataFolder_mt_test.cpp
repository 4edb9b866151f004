// Several threads asking for the data root at once see one search and one
// answer; concurrent open failures show one message.
#include "foundation/AM_DataFolder.h"
#include "foundation/AM_File.h"
#include "foundation/AM_FileMessages.h"

#include "platform/Module.h"

#include "TempDir.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kThreads = 8;

std::string narrow(const AM_String& s)
{
    std::string out(static_cast<size_t>(s.getNarrowLength()) + 1, 0);
    s.getNarrow(out.data(), static_cast<int32_t>(out.size()) - 1);
    out.pop_back();
    return out;
}

TEST(AM_DataFolderThreads, OneSearchForConcurrentRequests)
{
    testsupport::TempDir dir;
    dir.makeDir("plugins/KestanK4.data");
    platform::overrideModulePath(dir.file("plugins/KestanK4.so").c_str());
    resetDataFolderSearch();
    testsupport::TraceCapture capture;

    std::vector<std::string> roots(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&roots, i] {
            AM_Directory folder;
            if (getSpecialFolder(folder, kAM_FolderPresets, 1, "Orlen", "KestanK4") == 0)
                roots[static_cast<size_t>(i)] = narrow(folder.path());
        });
    for (auto& t : threads)
        t.join();
    for (const auto& root : roots)
        EXPECT_EQ(root, dir.file("plugins/KestanK4.data/Presets/KestanK4/"));
    EXPECT_EQ(capture.count("TRYING TO RETRIEVE"), 1);

    platform::overrideModulePath(nullptr);
    resetDataFolderSearch();
}

TEST(AM_DataFolderThreads, OneOpenMessageForConcurrentFailures)
{
    testsupport::TempDir dir;
    AM_FileMessages::reset();
    testsupport::TraceCapture capture;
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&dir, i] {
            AM_File file(AM_String(dir.file("missing" + std::to_string(i)).c_str()));
            file.open(AM_File::kModeRead);
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(capture.messageBoxes().size(), 1u);
    AM_FileMessages::reset();
}

} // namespace
