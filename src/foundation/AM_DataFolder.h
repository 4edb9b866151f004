#pragma once
// The product's data root and the standard folders below it.
//
// The root is found once per process: a folder "KestanK4.data" beside the
// plug-in module (or a symbolic link "KestanK4.data.lnk" there that points
// to an existing folder) makes it the root, with the folders directly below
// it (the alternate layout). Otherwise the user's data home stands in for the
// program-files folder and the folders sit below a maker folder (and for some
// kinds a product folder). Missing folders are created on the way.
//
// Not on the audio thread; the search state is guarded, so any other thread
// may ask.

#include "foundation/AM_Directory.h"

#include <cstdint>

// Folder kinds of getSpecialFolder.
constexpr int32_t kAM_FolderData = 1;
constexpr int32_t kAM_FolderPresets = 2;
constexpr int32_t kAM_FolderModules = 3;
constexpr int32_t kAM_FolderMetaAssignment = 4;
constexpr int32_t kAM_FolderTunefiles = 5;
constexpr int32_t kAM_FolderCCMaps = 6;
constexpr int32_t kAM_FolderDocuments = 7;
constexpr int32_t kAM_FolderSupport = 8;
constexpr int32_t kAM_FolderVST = 9;

// Searches beside the module for the alternate root and answers it (with a
// trailing '/'), or the last result found (empty when none). Sets the
// alternate-layout flag. Traces its steps.
AM_String getAlternateDataFolder();

// When the narrow path in the buffer names a symbolic link to an existing
// folder, replaces it by the folder's absolute path (cut at a character
// boundary to the capacity, terminator included) and answers true; else
// false with the buffer unchanged.
bool resolveShellLink(char* path, uint32_t capacity);

// Sets the folder's path to the data root; 0 or the error. Never answers 0
// without setting a path.
AM_FileErr getDataRootFolder(AM_Directory& folder);

// Sets the folder's path to the place of the kind (1 to 9, see above),
// creating every missing folder on the way; maker and product are the folder
// names of the normal layout. Kind 7 is the user's documents folder
// whatever the option. Any other kind leaves the folder unchanged and answers
// 0. The first failing step's error is answered, the folder left where that
// step left it.
AM_FileErr getSpecialFolder(AM_Directory& folder, int32_t kind, int32_t option, const char* maker,
                            const char* product);

// Forgets the search so that the next request searches again (tests).
void resetDataFolderSearch();
