// A shared library that is no plug-in: it exports a function, but no VST 2 entry point.

extern "C" __attribute__((visibility("default"))) int NotAPluginEntry()
{
    return 42;
}
