#pragma once

namespace veltra {

struct DialogState;

// Shows the logger's settings (deviceParams) in the controls and takes them as editParams.
void fillControls(DialogState& state);

// Reads the controls and turns them into editParams, ready to be validated and written.
void collectParameters(DialogState& state);

}  // namespace veltra
