#pragma once

namespace vantrelle::tool {

// The commands that need more than the pictures module (the catalogue, the title data, the network)
// are built into a module beside the tool, vantrelle-tool-commands.so, that the tool loads only when
// it is asked for one of them or for the list of all: a picture command then starts without loading
// SQLite, ICU, libcurl and OpenSSL, which take longer to load than a cover takes to reduce.
//
// Adds the module's commands to commands(), loading it on the first call. Looks beside the tool (the
// build folder), then in the library folder of the tool's installation prefix. Throws vantrelle::Error
// naming the places looked in, or the loader's message, when the module cannot be loaded.
void loadCommandModule();

} // namespace vantrelle::tool
