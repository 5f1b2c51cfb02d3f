#include "publish/publish_position.h"

#include "fileio/atomic_file.h"
#include "fileio/small_file.h"

#include <nlohmann/json.hpp>


namespace vt640::publish {
namespace {

// A position is a few dozen bytes; anything longer is not one.
constexpr std::size_t kMaxBytes = 4096;

} // namespace

std::string PublishPosition::text() const
{
    nlohmann::ordered_json j;
    j["acked_seq"] = acked;
    j["broker"] = broker;
    j["topic"] = topic;
    return j.dump() + "\n";
}

std::optional<PublishPosition> PublishPosition::parse(const std::string& text)
{
    const auto j = nlohmann::json::parse(text, nullptr, false);
    if (j.is_discarded() || !j.is_object())
        return std::nullopt;
    const auto seq = j.find("acked_seq");
    const auto broker = j.find("broker");
    const auto topic = j.find("topic");
    if (seq == j.end() || !seq->is_number_integer() || broker == j.end() || !broker->is_string() || topic == j.end()
        || !topic->is_string())
        return std::nullopt;
    PublishPosition p;
    p.acked = seq->get<std::int64_t>();
    if (p.acked < -1)
        return std::nullopt;
    p.broker = broker->get<std::string>();
    p.topic = topic->get<std::string>();
    return p;
}

std::optional<PublishPosition> PublishPosition::read(const std::string& path, int* error)
{
    // Never wait on a pipe planted at the name, nor follow a link.
    int systemError = 0;
    const auto bytes = readSmallFile(path, kMaxBytes, false, systemError);
    if (error)
        *error = systemError;
    if (!bytes || bytes->size() > kMaxBytes)
        return std::nullopt;
    return parse(*bytes);
}

bool PublishPosition::write(const std::string& path, int* error) const
{
    int systemError = 0;
    const AtomicFile::Error result = AtomicFile::writeWhole(path, text(), &systemError);
    if (error)
        *error = systemError;
    return result == AtomicFile::Error::None;
}

} // namespace vt640::publish
