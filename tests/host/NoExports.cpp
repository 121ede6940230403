// A library that is no shell extension: it exports no DllGetClassObject.

extern "C" __attribute__((visibility("default"))) int NotAShellExtension()
{
    return 0;
}
