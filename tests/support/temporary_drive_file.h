#pragma once
// A drive file (sim/sim_drive_file.h) in a folder of this test program; the file and its journal
// go with the folder when the object goes.

#include <string>

#include "tests/support/test_folder.h"

class TemporaryDriveFile {
public:
    explicit TemporaryDriveFile(const std::string& name)
        : m_folder(name), m_path(m_folder.File(name + ".drive")) {}

    const std::string& Path() const { return m_path; }
    std::string JournalPath() const { return m_path + ".journal"; }

private:
    TestFolder m_folder;
    std::string m_path;
};
