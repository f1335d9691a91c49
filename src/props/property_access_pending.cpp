// Stands in for the property engine until property_access.cpp lands; delete it then.
// Every document reports that it cannot be opened, and nothing is written.
#include "props/property_access.h"

namespace quorvel::props {

bool ForceGenerationProperty = false;

MessageCode ReadDocProperties(const std::string&, DocProperties& props) {
    props.clear();
    return kCannotOpenDocument;
}

MessageCode WriteDocProperties(const std::string&, const PropertyWriteRequest&) {
    return kCannotOpenDocument;
}

}  // namespace quorvel::props
