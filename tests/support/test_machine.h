#pragma once
// The machine builder of the tests: the program's composition point, run once per test
// executable as the window program and the runner run it, then the machine table cut down
// to the machines a test stands for (a program that links fewer machines refuses the
// others' boots).

#include <array>

#include "compose/compose.h"
#include "runtime/machine_table.h"

namespace varn::test {

inline constexpr u32 kEveryMachine = kMachineGenesis | kMachine32x | kMachineSegaCd | kMachineSms;

// Composes the program (once) and leaves the records of the machines in `kinds` (kMachine...
// bits) in the machine table.
inline void compose_machines(u32 kinds = kEveryMachine) {
    static const std::array<const MachineRecord*, 4> records = [] {
        compose_varn();
        return std::array<const MachineRecord*, 4>{
            machine_record(kMachineGenesis), machine_record(kMachine32x),
            machine_record(kMachineSegaCd), machine_record(kMachineSms)};
    }();
    machine_table_clear();
    for (const MachineRecord* record : records)
        if (record != nullptr && (record->kind & kinds) != 0) machine_table_bind(*record);
}

}  // namespace varn::test
