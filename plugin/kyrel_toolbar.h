#pragma once
// The plug-in's toolbar in the host's per-user profile. The module carries
// its toolbar files as "FILE" resources and writes them into the profile
// itself: after each new installation (a product code the profile has not
// seen) the files are written again, and at every plug-in load the host's
// toolbar manager is asked to open the collection unless it has it open.
//
// Folders, under the user's application data (made when missing):
//   version folder  McNeel\Rhinoceros\<host major version>.0
//   UI folder       <version folder>\UI
// All of this fails silently: a toolbar that cannot be installed leaves the
// plug-in's commands working as before.

// Opens the collection file of this host version from the UI folder in the
// host's toolbar manager, unless a collection from that file is open.
void LoadToolbarCollection();

// Removes the toolbar files an older installation left in the version
// folder and writes this module's ones into the UI folder.
void RefreshToolbarFiles();

// Writes the module's "FILE" resource `name` to `folder`\`name`. The file
// there is replaced only by a complete copy: the data goes to a temporary
// file beside it first, so a failed write leaves the old file as it was.
void ExtractFileResource(const wchar_t* folder, const wchar_t* name);

// Deletes `folder`\`name`; a missing file is no failure.
void DeleteProfileFile(const wchar_t* folder, const wchar_t* name);
