// AddressSanitizer defaults for every fuzz target. A run allocates a few dozen short strings; with
// the default 256 MB quarantine each one lands on a page never touched before, and the page
// faults cost more than the target's own work. 16 MB still holds thousands of runs' frees.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }
