// Leaks inside system libraries that the tests cannot free; read by the
// leak checker of sanitizer builds.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:libasound.so\n";
}
