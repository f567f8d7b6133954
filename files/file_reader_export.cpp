// The reader's export operations, over its own ExportWriter.
#include "files/export_writer.h"
#include "files/file_reader.h"

bool FileReader::fileopen(const std::string& path) {
    if (!exportWriter) exportWriter = std::make_shared<ExportWriter>();
    exporter = exportWriter.get();
    return exportWriter->open(path, shortExportOn ? ExportFormat::Short : ExportFormat::Csv, *this);
}

void FileReader::WriteBinary(std::int32_t scans) {
    if (exportWriter) exportWriter->WriteBinary(*this, scans);
}

void FileReader::WriteCSV(std::int32_t scans) {
    if (exportWriter) exportWriter->WriteCSV(*this, scans);
}

bool FileReader::fileclose() { return exportWriter ? exportWriter->close() : true; }

bool FileReader::exportFailed() const { return exportWriter && exportWriter->failed(); }

bool FileReader::exportRefused() const { return exportWriter && exportWriter->refused(); }

std::string FileReader::exportErrorText() const { return exportWriter ? exportWriter->errorText() : std::string(); }
