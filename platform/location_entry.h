#pragma once

#include <string>

// One row of the location catalogue: the name shown in the location list and its mail server.
struct LocationEntry {
    std::string Location;
    std::string Server;
};
