#pragma once

class wxTopLevelWindow;

/// Lets `window` take the mouse, the keys, its menus and its close button while a modal dialog is
/// up, when it was opened from that dialog: a window beside a modal editor, which the user works in
/// and the editor follows. Call it once the window's menu bar is set.
/// The toolkit's modal run refuses input to every other window of the program, those opened
/// later included.
void KeepUsableBesideModalDialogs(wxTopLevelWindow& window);
