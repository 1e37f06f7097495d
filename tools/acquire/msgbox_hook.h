// Watches the windows that open on the tool's thread (the source runs on it
// too): every message box is reported as
//   msgbox: caption="..." text="..."
// and, when asked, answered by pressing one of its buttons, so that a source
// that reports an error never leaves the tool waiting for a click. Other
// dialogs are reported once as "dialog: caption=...".
#pragma once

// answer: AnswerButton of options.h (ANSWER_NONE only reports).
bool MsgBoxHookInstall(int answer);
void MsgBoxHookRemove();
