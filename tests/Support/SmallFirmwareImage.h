#pragma once
// A firmware image of four short records in a temporary folder, removed with the
// object: enough for a whole transfer that stays short.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

struct SmallFirmwareImage
{
    std::filesystem::path folder;
    std::string path;

    // `prefix` names the folder's test ("kv-stress" gives /tmp/kv-stress-XXXXXX).
    explicit SmallFirmwareImage(const std::string& prefix)
    {
        std::string pattern = "/tmp/" + prefix + "-XXXXXX";
        folder = mkdtemp(pattern.data());
        path = (folder / "image.led").string();
        std::ofstream(path) << "0003010203"
                               "0004A1B2C3D4"
                               "00020F0E"
                               "000511223344FF";
    }
    ~SmallFirmwareImage() { std::filesystem::remove_all(folder); }
    SmallFirmwareImage(const SmallFirmwareImage&) = delete;
    SmallFirmwareImage& operator=(const SmallFirmwareImage&) = delete;
};
