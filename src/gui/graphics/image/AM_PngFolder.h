#pragma once
// The PNG files of an image folder, for the image-folder scan and for the
// frames of an animation strip (one folder of frames per strip).

#include <string>
#include <vector>

// The names of the files in folder whose names end in ".png" (any case) and
// have something before it, in the platform's listing order (by name,
// ignoring case), which is the frame order of a strip. Sub-folders are left
// out. False, with no names, when the folder cannot be listed. GUI thread
// (touches the file system).
bool AM_listPngFiles(const char* folder, std::vector<std::string>& names);
