#pragma once
// A CD-ROM drive for tests, behind the same interface as a real one: it answers INQUIRY,
// TEST UNIT READY, READ TOC, READ(10), PLAY AUDIO MSF, PAUSE/RESUME and START STOP UNIT
// from a disc image (2048-byte blocks, one data track), records every command block, and
// can be told to fail or time out.

#include <algorithm>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "cddrive/scsi_device.h"

namespace varn::test {

struct FakeDriveLog {
    struct Command {
        std::vector<u8> cdb;
        std::size_t data_length = 0;
        u32 timeout_ms          = 0;
    };
    std::vector<Command> commands;
};

class FakeDrive final : public ScsiDevice {
  public:
    FakeDrive(std::string inquiry_name, FakeDriveLog* log = nullptr)
        : name_(std::move(inquiry_name)), log_(log) {}

    // The disc: 2048-byte blocks of a file, as a disc written from it holds them (a last
    // part block filled up with zeros); no disc when empty.
    void insert(std::vector<u8> image) {
        image_ = std::move(image);
        image_.resize((image_.size() + 2047) / 2048 * 2048, 0);
    }
    void remove() { image_.clear(); }
    // Outcomes for the next commands, oldest first (then kGood again).
    std::deque<ScsiOutcome> next_outcomes;
    bool inquiry_fails = false;

    ScsiReply execute(std::span<const u8> cdb, std::span<u8> data, u32 timeout_ms) override {
        if (log_) log_->commands.push_back({{cdb.begin(), cdb.end()}, data.size(), timeout_ms});
        ScsiReply reply;
        reply.outcome = ScsiOutcome::kGood;
        if (!next_outcomes.empty()) {
            reply.outcome = next_outcomes.front();
            next_outcomes.pop_front();
            if (reply.outcome != ScsiOutcome::kGood) {
                // A failed command may still have moved bytes: the layer must not use them.
                std::fill(data.begin(), data.end(), u8{0xEE});
                return reply;
            }
        }
        switch (cdb[0]) {
            case 0x12:  // INQUIRY
                if (inquiry_fails) return check(reply, 0x05, 0x24, 0x00);
                std::fill(data.begin(), data.end(), u8{' '});
                data[0] = kScsiTypeCdRom;
                std::copy_n(name_.begin(), std::min<std::size_t>(name_.size(), 24),
                            data.begin() + 8);
                return reply;
            case 0x00:  // TEST UNIT READY
                if (image_.empty()) return check(reply, 0x02, 0x3A, 0x00);
                return reply;
            case 0x43:  // READ TOC
                if (image_.empty()) return check(reply, 0x02, 0x3A, 0x00);
                write_toc(data);
                return reply;
            case 0x28: {  // READ(10)
                if (image_.empty()) return check(reply, 0x02, 0x3A, 0x00);
                const u64 lba =
                    (u64{cdb[2]} << 24) | (u64{cdb[3]} << 16) | (u64{cdb[4]} << 8) | cdb[5];
                if ((lba + 1) * 2048 > image_.size()) return check(reply, 0x05, 0x21, 0x00);
                std::copy_n(image_.begin() + static_cast<std::ptrdiff_t>(lba * 2048),
                            std::min<std::size_t>(2048, data.size()), data.begin());
                return reply;
            }
            default:
                return reply;
        }
    }

    u32 blocks() const { return static_cast<u32>(image_.size() / 2048); }

  private:
    static ScsiReply& check(ScsiReply& reply, u8 key, u8 code, u8 qualifier) {
        reply.outcome   = ScsiOutcome::kCheckCondition;
        reply.sense[0]  = 0x70;
        reply.sense[2]  = key;
        reply.sense[12] = code;
        reply.sense[13] = qualifier;
        return reply;
    }

    // One data track from block 0 and the lead-out after the last block.
    void write_toc(std::span<u8> data) const {
        std::fill(data.begin(), data.end(), u8{0});
        const u8 entries[2][8] = {
            {0, 0x14, 1, 0, 0, 0, 0, 0},
            {0, 0x14, 0xAA, 0, static_cast<u8>(blocks() >> 24), static_cast<u8>(blocks() >> 16),
             static_cast<u8>(blocks() >> 8), static_cast<u8>(blocks())}};
        const u8 header[4] = {0, 18, 1, 1};
        std::copy_n(header, std::min<std::size_t>(4, data.size()), data.begin());
        for (int i = 0; i < 2; ++i) {
            const std::size_t at = 4 + 8 * static_cast<std::size_t>(i);
            if (at + 8 <= data.size()) std::copy_n(entries[i], 8, data.begin() + at);
        }
    }

    std::string name_;
    FakeDriveLog* log_;
    std::vector<u8> image_;
};

// A host bus of fake drives: devices are listed as given and opened by path; a drive that
// is opened is handed over as a proxy to the one kept here, so tests can still reach it.
class FakeBus final : public ScsiBus {
  public:
    struct Entry {
        ScsiDeviceInfo info;
        FakeDrive* drive = nullptr;  // null: the node cannot be opened
    };
    std::vector<Entry> entries;
    std::vector<std::string> opened;

    std::vector<ScsiDeviceInfo> devices() override {
        std::vector<ScsiDeviceInfo> out;
        for (const auto& e : entries) out.push_back(e.info);
        return out;
    }

    std::unique_ptr<ScsiDevice> open(const std::string& path) override {
        opened.push_back(path);
        for (const auto& e : entries) {
            if (e.info.path == path && e.drive) return std::make_unique<Proxy>(*e.drive);
        }
        return nullptr;
    }

  private:
    struct Proxy final : ScsiDevice {
        explicit Proxy(FakeDrive& d) : drive(d) {}
        ScsiReply execute(std::span<const u8> cdb, std::span<u8> data, u32 t) override {
            return drive.execute(cdb, data, t);
        }
        FakeDrive& drive;
    };
};

// The shared disc image the fake drive plays, or empty when the test data is absent.
inline std::vector<u8> fixture_iso() {
    const std::filesystem::path path =
        std::filesystem::path(VARN_TESTDATA_DIR) / "roms/segacd/nikonamd/rom_mcd_u.iso";
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace varn::test
