#pragma once
// LOpenFileDialog: the system's dialog for choosing a file to open. The filter is one
// text of label and pattern pieces separated by "|" ("Images (*.led)|*.led|All|*.*|").
// The dialog opens in the folder of the previous choice.
//
// Window thread only: the thread waits while the dialog is open.

#include "KVResult.h"
#include "Storage/StringT.h"

namespace KV {

class LOpenFileDialog
{
public:
    // 0 when the user chose a file; E_FAIL when the dialog was cancelled, could not be
    // shown (no dialog program), or failed. The file name is empty then. With multiple,
    // several files may be picked; the file name is the first of them.
    KVRESULT Show(const String& filter, const String& defaultExtension, const String& title, bool multiple);

    // The chosen file's full path.
    String GetFileName() const { return mFilePath; }
    // The chosen file's name without its folder.
    const String& GetFileTitle() const noexcept { return mFileTitle; }
    // The folder the next dialog opens in; empty before the first choice.
    const String& GetFolder() const noexcept { return mFolder; }

private:
    String mFilePath;
    String mFileTitle;
    String mFolder;
};

} // namespace KV
