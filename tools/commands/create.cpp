#include "CommandRegistry.h"

#include "vantrelle/store/Schema.h"

#include <iostream>

using namespace vantrelle::tool;

namespace {

int create(const Arguments& args)
{
    if (args.size() > 1)
        throw UsageError { "too many arguments" };
    const std::string file = args.empty() ? "Movies.mdb" : args[0];
    vantrelle::store::createCatalogue(file);
    std::cout << "Created the empty catalogue " << file << "\n";
    return 0;
}

RegisterCommand reg(
    "create", { "create [FILE]", "makes an empty catalogue (default Movies.mdb); never overwrites", create });

} // namespace
