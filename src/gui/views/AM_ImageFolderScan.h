#pragma once
// The scan of an images folder (a theme's or the common one) into the view
// manager's graphics:
// - every PNG file of the folder becomes a graphic of the alternative
//   (path kind 0), unless a graphic of that name and alternative exists;
// - each sub-folder names the path kind of the graphics in it ("Shapes",
//   "Controls", "Panes", "Animations", "Icons", "Other"; any other name
//   kind 0), and its PNG files become graphics of that kind; deeper
//   folders are not scanned, except:
// - inside "Animations", each sub-folder becomes one animation strip named
//   after the folder, whose frames are its PNG files in name order.
// Names shorter than four characters are skipped; a folder that cannot be
// listed is left alone.
//
// GUI thread only (touches the file system).

#include <cstdint>
#include <string>

class AM_AGG_ViewMan;

class AM_ImageFolderScan {
public:
    AM_ImageFolderScan(AM_AGG_ViewMan& viewMan, uint32_t alternative);

    // Scans the folder (a path ending in the separator). Answers the
    // graphics added to the list (strips count one each).
    int32_t scan(const std::string& folder);

private:
    void scanFolder(const std::string& folder, int32_t level, uint32_t pathKind);
    void addImage(const std::string& folder, const std::string& fileName, uint32_t pathKind);
    void addStrip(const std::string& folder, const std::string& name, uint32_t pathKind);

    AM_AGG_ViewMan& viewMan_;
    uint32_t alternative_;
    int32_t added_ = 0;
};
