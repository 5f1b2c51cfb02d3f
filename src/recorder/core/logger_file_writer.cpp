#include "recorder/core/logger_file_writer.h"

#include "recorder/core/atomic_file.h"

namespace vt640 {

LoggerFileWriter::Status LoggerFileWriter::write(const std::string& path, const TBRecord* records, std::size_t count,
                                                 bool replace)
{
    if (path.empty())
        return Status::CannotCreate;
    AtomicFile file(path);
    file.setReplaceExisting(replace);
    if (!file.open())
        return Status::CannotCreate;
    if (file.write(records, count * sizeof(TBRecord)) && file.commit())
        return Status::Ok;
    return file.error() == AtomicFile::Error::Exists ? Status::Exists : Status::WriteFailed;
}

} // namespace vt640
