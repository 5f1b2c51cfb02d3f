// Leaks inside system libraries that the program cannot free (the font
// configuration, the sound library, the desktop bus the platform plugin
// opens); read by the leak checker of sanitizer builds, which link this file
// into the programs and the tests.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:libasound.so\n"
           "leak:libdbus-1.so\n";
}
