#pragma once
// The Master System's place in the program, bound once at start-up by every program that
// boots machines (the window program and the headless runner): its Z80 tables, the system
// ROM of every region into the machine's system ROM area, and its steps of the media boot.

namespace varn {

void sms_bind_unit();

}  // namespace varn
