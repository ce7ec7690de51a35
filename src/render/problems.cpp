#include "render/problems.h"

#include "core/strfmt.h"

namespace morvel::render {

void Problems::report(long long offset, const std::string& key, const std::string& message) {
    if (keys_.size() >= 1000 || !keys_.insert(key).second) return;
    std::string line = strfmt("morvel-render: %s at byte %lld\n", message.c_str(), offset);
    text_ += line;
    if (sink_) std::fputs(line.c_str(), sink_);
}

}  // namespace morvel::render
