#pragma once
// Switches the process to a locale that writes and reads numbers with a decimal
// comma, compiled into a private folder so that no system locale has to exist.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

class CDecimalCommaLocale
{
public:
    CDecimalCommaLocale()
    {
        const char* previous = std::setlocale(LC_ALL, nullptr);
        mPrevious = previous ? previous : "C";
        char pattern[] = "/tmp/kv-locale-XXXXXX";
        if (!mkdtemp(pattern))
            return;
        mFolder = pattern;
        const std::string command =
            "localedef -i de_DE -f UTF-8 " + mFolder.string() + "/de_DE.UTF-8 >/dev/null 2>&1";
        if (std::system(command.c_str()) > 1) // 1 means warnings only
            return;
        setenv("LOCPATH", mFolder.c_str(), 1);
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
            return;
        char probe[8];
        snprintf(probe, sizeof probe, "%.1f", 1.5);
        mActive = std::string(probe) == "1,5";
    }
    ~CDecimalCommaLocale()
    {
        std::setlocale(LC_ALL, mPrevious.c_str());
        unsetenv("LOCPATH");
        std::error_code ignored;
        if (!mFolder.empty())
            std::filesystem::remove_all(mFolder, ignored);
    }
    CDecimalCommaLocale(const CDecimalCommaLocale&) = delete;
    CDecimalCommaLocale& operator=(const CDecimalCommaLocale&) = delete;

    // True when the C library now really writes "1,5".
    bool IsActive() const { return mActive; }

private:
    std::string mPrevious;
    std::filesystem::path mFolder;
    bool mActive = false;
};
