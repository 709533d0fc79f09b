#pragma once

#include <map>
#include <string>

// A fresh, empty folder under the temporary folder, removed with everything
// in it when the object goes. Every case gets its own, so that no profile
// reader can answer from what it remembers of an earlier case's file.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // With its trailing backslash, as start-up hands the program's folder over.
    const std::string& Path() const { return path; }

private:
    std::string path;
};

void WriteBytes(const std::string& file, const std::string& bytes);

// The file's bytes; an empty text and false in *exists when there is no file.
std::string ReadBytes(const std::string& file, bool* exists);

// The keys and values of one section of a profile file's text, read the way
// the file's lines are laid out: "key=value", nothing trimmed.
std::map<std::string, std::string> SectionValues(const std::string& text, const std::string& section);
