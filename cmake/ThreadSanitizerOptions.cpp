// Linked into every program of a ThreadSanitizer build: the runtime asks for these before it reads
// TSAN_OPTIONS, which can still add to them or change them. Programs start others (xterm in the tests,
// the log tool) with fork and exec while other threads run: the child only execs, so it may go on.
extern "C" const char* __tsan_default_options() {
    return "suppressions=" SKAF_TSAN_SUPPRESSIONS ":second_deadlock_stack=1:die_after_fork=0";
}
