#pragma once
// Chat styles: the eight style fields of the runtime state, read from and written to the
// style files of the styles folder, and the list of available styles.
#include <string>

#include "src/state/runtime_state.h"

namespace spindeck {

// Sets the eight style fields from the file of the style named by lblstyle. A missing file
// or key leaves its field empty; a name that is not a plain file name leaves them all empty.
void LoadStyle(RuntimeState& state);

// Writes the eight style fields into the file of the style named by lblstyle, with the DJ
// name as its author. A name that is not a plain file name writes nothing.
void SaveStyle(RuntimeState& state);

// Appends the name of every style file (".dll", in any case) of the styles folder to
// lstStyles, in the folder listing's order, with every ".dll" of exactly that case removed
// (so "Cool.DLL" stays as it is); gives the number of style files. A missing folder lists
// nothing.
int RefreshStyleList(RuntimeState& state);

// True when the name can only reach a file inside the styles folder: no "/" or "\", and not
// ".." or anything beginning with it.
bool IsPlainStyleName(const std::string& name);

}  // namespace spindeck
