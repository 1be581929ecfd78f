// Mesa's offscreen driver keeps one small record per picture size for the
// life of the process and never frees it; that is not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libOSMesa.so\n"; }
