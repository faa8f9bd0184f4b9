#pragma once
// LOpenFileDialog: the system's dialog for choosing a file to open. The filter is one
// text of label and pattern pieces separated by "|" ("Images (*.led)|*.led|All|*.*|").
// The dialog opens in the folder of the previous choice.
//
// Window thread only. While the dialog is open the application's windows keep painting
// and its notifications keep flowing, but its windows take no input; the dialog stays in
// front of the active window.

#include "KVResult.h"
#include "Storage/StringT.h"

#include <vector>

namespace KV {

class LOpenFileDialog
{
public:
    // 0 when the user chose a file; E_FAIL when the dialog was cancelled, could not be
    // shown, or failed: the file name is empty then. When no dialog program is installed,
    // a message box says so. With multiple, several files may be picked; the file name is
    // the first of them. A typed name without the default extension names the file with
    // it, when only that one exists.
    KVRESULT Show(const String& filter, const String& defaultExtension, const String& title, bool multiple);

    // The chosen file's full path.
    String GetFileName() const { return mFilePath; }
    // Every chosen file's full path, in the order of the choice.
    const std::vector<String>& GetFileNames() const noexcept { return mFilePaths; }
    // The chosen file's name without its folder.
    const String& GetFileTitle() const noexcept { return mFileTitle; }
    // The folder the next dialog opens in; empty before the first choice.
    const String& GetFolder() const noexcept { return mFolder; }

private:
    String mFilePath;
    std::vector<String> mFilePaths;
    String mFileTitle;
    String mFolder;
};

} // namespace KV
