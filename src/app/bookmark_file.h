// Where the saved playback point lives. Beside the executable while its folder can be
// written (a copy running in its build or own folder); otherwise, for a copy installed
// where the user cannot write, in the user's data folder, so that the point is kept.
#pragma once

#include <QString>

// The bookmark file for an executable in `exeFolder` (with its trailing separator):
// there when `exeFolderWritable`, else "quovadel-dvd/bookmark.bmk" in `dataFolder`.
QString ChooseBookmarkFile(const QString &exeFolder, bool exeFolderWritable, const QString &dataFolder);

// The file for this run: chosen on the first call (start-up makes it), then kept, so
// save and restore always use the same place. When the data folder is chosen, its
// "quovadel-dvd" folder is created so that a save can write there.
const QString &BookmarkFile();
