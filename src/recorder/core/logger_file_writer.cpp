#include "recorder/core/logger_file_writer.h"

#include <cerrno>

namespace vt640 {

LoggerFileWriter::Status LoggerFileWriter::write(const std::string& path, const TBRecord* records, std::size_t count,
                                                 bool replace, AtomicFile::Error* failure, int* systemError)
{
    AtomicFile file(path);
    file.setReplaceExisting(replace);
    Status status = Status::Ok;
    if (path.empty() || !file.open())
        status = Status::CannotCreate;
    else if (!file.write(records, count * sizeof(TBRecord)) || !file.commit())
        status = file.error() == AtomicFile::Error::Exists ? Status::Exists : Status::WriteFailed;
    if (failure)
        *failure = path.empty() ? AtomicFile::Error::CannotCreate : file.error();
    if (systemError)
        *systemError = path.empty() ? ENOENT : file.systemError();
    return status;
}

} // namespace vt640
