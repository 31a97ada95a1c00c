// Output files of the render verb: comparing paths by the file they name, and
// writing several files so that a failure or an interruption loses nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace aaxhost
{

// True when a and b name the same file: the same device and inode, or, for a
// file that does not exist yet, the same folder and name. Spelling does not
// matter ("x.wav", "./x.wav", a symbolic link to it).
bool SameFile(const std::string& a, const std::string& b);

struct OutputFile
{
  std::string path;
  std::vector<uint8_t> bytes;
};

// Writes every file. A regular file (or a path where nothing exists yet) is
// written to a uniquely named temporary file in its folder, given the mode
// of the file it replaces, and renamed over it only after every temporary
// file is complete; anything else (a symbolic link, a file with several
// hard links, a device, a FIFO) is written straight into, after those
// temporary files are complete. A folder is refused before anything is
// written. SIGINT, SIGTERM and SIGHUP while writing remove the temporary
// files. false with error (one line) on failure; temporary files are removed.
bool WriteOutputFiles(const std::vector<OutputFile>& files, std::string& error);

} // namespace aaxhost
