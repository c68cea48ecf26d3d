// The runner loads every image form through the Load ROM road: the same picture, frame by
// frame, from the plain image, its copier layouts and its archives.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/test_files.h"
#include "support/varn_run.h"
#include "zip_builder.h"

namespace varn {
namespace {

using test::run_varn;

std::string frame_crcs(const test::RunResult& r) {
    std::string crcs;
    std::size_t at = 0;
    while ((at = r.output.find("frame-crc ", at)) != std::string::npos) {
        crcs += r.output.substr(at + 10, 8) + " ";
        at += 18;
    }
    return crcs;
}

TEST(VarnRunMedia, EveryFormGivesThePlainImagesFrames) {
    const auto plain = test::testdata_file("roms/genesis/sgdk-joy-test.bin");
    if (plain.empty()) GTEST_SKIP() << "test data not found";
    const std::string args = "--frames 60 --fake-clock --frame-crc ";
    const auto expected    = run_varn(args + plain.string());
    ASSERT_EQ(expected.status, 0) << expected.output;
    ASSERT_FALSE(frame_crcs(expected).empty());
    for (const char* form : {"fixtures/derived/joy-test-bin.zip",
                             "fixtures/derived/joy-test-smd.zip", "fixtures/derived/joy-test.smd",
                             "fixtures/derived/joy-test.md", "fixtures/derived/a-bin-b-txt.zip"}) {
        const auto path = test::testdata_file(form);
        ASSERT_FALSE(path.empty()) << form;
        const auto r = run_varn(args + path.string());
        EXPECT_EQ(r.status, 0) << form << "\n" << r.output;
        EXPECT_EQ(frame_crcs(r), frame_crcs(expected)) << form;
        EXPECT_EQ(r.output.find("varn-run: "), std::string::npos) << form << "\n" << r.output;
    }
}

TEST(VarnRunMedia, ChoicesAndRefusalsExitWithAMessage) {
    const auto zip   = test::temp_file("varn_run_media", "two.zip");
    const auto bytes = test::build_zip(
        {{"A.BIN", std::vector<u8>(0x400, 0)}, {"B.GEN", std::vector<u8>(0x400, 0)}});
    std::ofstream(zip, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    // Two images and nobody to ask: the entries are listed and nothing runs.
    auto r = run_varn("--frames 1 --fake-clock " + zip.string());
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find("B.GEN"), std::string::npos) << r.output;
    // The option stands for the user's choice (an empty image runs into a halt or not; it
    // loads either way).
    r = run_varn("--frames 1 --fake-clock --entry B.GEN " + zip.string());
    EXPECT_NE(r.status, 2) << r.output;
    EXPECT_NE(r.output.find("frames "), std::string::npos) << r.output;
    std::filesystem::remove(zip);

    struct Case {
        std::string args;
        std::string message;
    };
    const auto sms     = test::testdata_file("roms/sms/inlib_demo.sms");
    const Case cases[] = {
        {"--filter 6 x.bin", "filter out of range: 6"},
        {"--filter 2 " + sms.string(), "Load type and/or Load mode could not be determined."},
    };
    for (const auto& c : cases) {
        if (sms.empty() && &c != &cases[0]) continue;  // no shared test data
        r = run_varn(c.args);
        EXPECT_EQ(r.status, 2) << c.args << "\n" << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << c.args << "\n" << r.output;
    }
}

}  // namespace
}  // namespace varn
