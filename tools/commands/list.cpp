#include "CommandRegistry.h"

#include "vantrelle/store/MoviesQuery.h"

#include <iostream>

using namespace vantrelle::tool;

namespace {

int list(const Arguments& args)
{
    if (args.size() > 1)
        throw UsageError { "too many arguments" };
    vantrelle::store::MoviesQuery query;
    query.ConnectionString = vantrelle::store::connectionStringFor(args.empty() ? "Movies.mdb" : args[0]);
    query.open();
    if (const std::string warning = query.openWarning(); !warning.empty())
        std::cerr << "vantrelle-tool: " << warning << '\n';
    for (int recNo = 1; recNo <= query.recordCount(); ++recNo) {
        query.setRecNo(recNo);
        std::cout << query.aqMoviesID.asString() << '\t' << query.aqMoviesNameOfMovie.asString() << '\t'
                  << query.aqMoviesYear.asString() << '\n';
    }
    return 0;
}

RegisterCommand reg("list",
    { "list [FILE]",
        "prints the films in title order: ID, title, year (tab-separated); values that cannot be read are named on "
        "standard error",
        list });

} // namespace
