#include "recorder/core/logger_file_writer.h"

#include "recorder/core/atomic_file.h"

namespace vt640 {

LoggerFileWriter::Status LoggerFileWriter::write(const std::string& path, const TBRecord* records,
                                                 std::size_t count)
{
    if (path.empty())
        return Status::CannotCreate;
    AtomicFile file(path);
    if (!file.open())
        return Status::CannotCreate;
    const bool ok = file.write(records, count * sizeof(TBRecord)) && file.commit();
    return ok ? Status::Ok : Status::WriteFailed;
}

} // namespace vt640
