// In builds with the leak checker: the desktop message-bus and font libraries that the
// window toolkit loads keep a few buffers until the process ends, which the checker would
// report at every exit. They are the system libraries', not the program's.

extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\nleak:libfontconfig.so\n";
}
