// keep_modules.cpp - linked into every program of the sanitizer build only.
//
// At exit, the GL dispatch library unloads Mesa's driver before LeakSanitizer
// looks for leaks, and then the driver's leaks show up with no library name,
// so no suppression can name them. Keeping every loaded library in place
// until the process ends lets the suppressions in lsan.supp match.
extern "C" int dlclose(void * /*handle*/)
{
    return 0;
}
