#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A fresh, empty folder under the temporary folder, removed with everything
// in it when the object goes. Every case gets its own, so that no profile
// reader can answer from what it remembers of an earlier case's file.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // With its trailing backslash, as start-up hands the program's folder
    // over: a name appended to it is a path inside. Paths and names are
    // UTF-8, of any length.
    const std::string& Path() const { return path; }

    // Writes a file into the folder (the name may hold subfolders already
    // made with MakeFolder) and returns its full path.
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    std::string Write(const std::string& name, const std::string& text) const;
    // Makes a subfolder and returns its full path, without a trailing backslash.
    std::string MakeFolder(const std::string& name) const;

private:
    std::string path;
};

void WriteBytes(const std::string& file, const std::string& bytes);

// The file's bytes; an empty text and false in *exists when there is no file.
std::string ReadBytes(const std::string& file, bool* exists);
