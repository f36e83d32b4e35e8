#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace brumalux
{

// What one check found wrong; the check passes when nothing.
class Expectations
{
public:
    void Expect(bool holds, const std::string& what)
    {
        if (!holds)
            failures.push_back(what);
    }

    std::vector<std::string> failures;
};

// Runs named checks, prints a line for each and closes with "N passed, M failed".
class TestRun
{
public:
    void Check(const char* name, const std::function<void(Expectations&)>& test)
    {
        Expectations expectations;
        test(expectations);
        if (expectations.failures.empty())
        {
            ++passed;
            std::printf("ok   %s\n", name);
        }
        else
        {
            ++failed;
            std::printf("FAIL %s\n", name);
            for (const auto& failure : expectations.failures)
                std::printf("       %s\n", failure.c_str());
        }
        // Wine's console may hold output back; a hung test must still show how far it got.
        std::fflush(stdout);
    }

    // The exit code: non-zero when anything failed.
    int Finish()
    {
        std::printf("%d passed, %d failed\n", passed, failed);
        std::fflush(stdout);
        return failed == 0 ? 0 : 1;
    }

private:
    int passed = 0;
    int failed = 0;
};

inline std::string Describe(const char* what, long long actual)
{
    return std::string(what) + " is " + std::to_string(actual);
}

// The plug-in DLL as a Windows host sees it.
void CheckPluginDll(TestRun& run, const char* dllPath);
// The resize walk over real Win32 windows.
void CheckWin32WindowLayer(TestRun& run);
// The VST3 module (the DLL inside the bundle) as a Windows host sees it.
void CheckVst3Module(TestRun& run, const char* modulePath);
// The standalone program started, shown and closed as a user would.
void CheckStandaloneProgram(TestRun& run, const char* programPath);

} // namespace brumalux
