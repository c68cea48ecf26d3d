#include "runtime/machine_table.h"

#include <array>
#include <bit>

namespace varn {

u32 machine_kind = 0;

namespace {

// By the kind's bit: Genesis, 32X, Sega CD, Master System.
constexpr u32 kKinds = 4;
std::array<const MachineRecord*, kKinds> table{};
constexpr std::array<const char*, kKinds> kNames = {"Genesis", "32X", "Sega CD", "Master System"};

// The slot of a kind with one bit set among the four, else kKinds.
u32 slot_of(u32 kind) {
    if (!std::has_single_bit(kind)) return kKinds;
    const u32 slot = static_cast<u32>(std::countr_zero(kind));
    return slot < kKinds ? slot : kKinds;
}

}  // namespace

const MachineRecord* machine_record(u32 kind) {
    const u32 slot = slot_of(kind);
    return slot < kKinds ? table[slot] : nullptr;
}

const char* machine_name(u32 kind) {
    const u32 slot = slot_of(kind);
    return slot < kKinds ? kNames[slot] : "?";
}

s32 machine_state_load(std::span<const u8> in) {
    const MachineRecord* machine =
        machine_kind != 0 ? machine_current() : machine_record(kMachineGenesis);
    if (machine == nullptr || machine->state_load == nullptr) return -1;
    return machine->state_load(in);
}

void machine_table_bind(const MachineRecord& record) {
    const u32 slot = slot_of(record.kind);
    if (slot < kKinds) table[slot] = &record;
}

void machine_table_clear() { table.fill(nullptr); }

}  // namespace varn
