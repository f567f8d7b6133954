// The export files of a replay: "Short (16 bit)" as a raw .bin of little-endian
// int16 counts with a .hdr text header, or "CSV" with one row per scan. The
// replay hands every block it reads forward; the writer keeps the selected
// channels of the moment the files were opened.
//
// Output goes through one buffer allocated with the writer and is handed to
// the system once per block, so a write error leaves the files with every whole
// block written before it and nothing of the block that failed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "files/file_reader.h"

enum class ExportFormat { Short, Csv };

class ExportWriter : public ReplayExporter {
public:
    static constexpr const char* kShortFormatText = "Short (16 bit)";
    static constexpr const char* kCsvFormatText = "CSV";
    static constexpr const char* kBinaryExtension = ".bin";
    static constexpr const char* kHeaderExtension = ".hdr";
    static constexpr const char* kCsvExtension = ".csv";
    static constexpr int kCsvDecimals = 10;
    static constexpr int kFactorDecimals = 20;

    ExportWriter();
    ~ExportWriter() override;
    ExportWriter(const ExportWriter&) = delete;
    ExportWriter& operator=(const ExportWriter&) = delete;

    // Short: creates path + ".bin" and writes path + ".hdr" whole; Csv: creates
    // `path` as given and writes the header line. Both overwrite, except an
    // output that is the reader's recording or any other ".pldat": that is
    // refused (refused()) before any file is opened for writing. False (with
    // errorText(), nothing left open, no .hdr without its .bin) when refused or
    // when a file cannot be created or written.
    bool open(const std::string& path, ExportFormat format, const FileReader& reader);
    // Appends `scans` scans of aryData. After a write error these do nothing.
    void WriteBinary(const FileReader& reader, int scans) override;
    void WriteCSV(const FileReader& reader, int scans) override;
    // Closes whatever is open; false if any write failed since open.
    bool close();

    bool isOpen() const { return fd_ >= 0; }
    // A write failed: the file was cut back to its last whole block.
    bool failed() const { return failed_; }
    bool refused() const { return refused_; }
    const std::string& errorText() const { return error_; }
    // Channels written, 0-based in ascending order.
    int channelCount() const { return channelCount_; }

    // One value as a row holds it: ten decimals, a point, a leading "-" when
    // negative. Returns the end of the text written at `out` (room for 400 chars).
    static char* formatCsvValue(char* out, double mv);
    // The count stored for a value: mV / factor truncated toward zero,
    // saturating at the int16 limits.
    static std::int16_t shortCount(double mv, double conversionFactor);
    // The whole .hdr text (Shift-JIS) for a factor and the selected channels.
    static std::string headerText(double conversionFactor, const int* channels, int count);

private:
    void endBlock();
    bool flush();
    void fail(const char* what);
    // Refuses `output` when it names the reader's recording or any existing ".pldat".
    bool refuseRecording(const std::string& output, const FileReader& reader);

    int fd_ = -1;
    ExportFormat format_ = ExportFormat::Short;
    std::string path_;
    int channels_[FileReader::kChannels] = {};
    int channelCount_ = 0;
    bool failed_ = false;
    bool refused_ = false;
    std::string error_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    std::uint64_t written_ = 0;     // bytes the system took
    std::uint64_t wholeBlocks_ = 0;  // file length after the last whole block
};
