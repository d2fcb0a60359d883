#include "Ole2.h"

#include "SheetError.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <iterator>
#include <memory>
#include <mutex>

namespace sheet {

namespace {

// The largest workbook stream we agree to read: far beyond any real catalogue, small
// enough that a hostile size field cannot exhaust memory.
constexpr gsf_off_t kMaxStreamSize = 256 * 1024 * 1024;

void initGsf()
{
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

void ignoreMessage(const gchar *, GLogLevelFlags, const gchar *, gpointer) {}

// Damaged compound files make libgsf print warnings; while one is read they are
// dropped, as we report the damage ourselves, with the file's name.
class QuietGsf {
public:
    QuietGsf()
    {
        const auto levels = GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_MESSAGE);
        for (size_t i = 0; i < std::size(kDomains); ++i)
            m_handlers[i] = g_log_set_handler(kDomains[i], levels, ignoreMessage, nullptr);
    }
    ~QuietGsf()
    {
        for (size_t i = 0; i < std::size(kDomains); ++i)
            g_log_remove_handler(kDomains[i], m_handlers[i]);
    }
    QuietGsf(const QuietGsf &) = delete;
    QuietGsf &operator=(const QuietGsf &) = delete;

private:
    static constexpr const char *kDomains[] = {"libgsf:msole", "libgsf", nullptr};
    guint m_handlers[std::size(kDomains)] = {};
};

struct GObjectUnref {
    void operator()(void *p) const
    {
        if (p)
            g_object_unref(p);
    }
};
template <typename T> using GPtr = std::unique_ptr<T, GObjectUnref>;

QString notAWorkbook(const QString &fileName, const QString &why)
{
    return QStringLiteral("无法读取文件“%1”：不是有效的Excel 97-2003工作簿（%2）").arg(fileName, why);
}

} // namespace

QByteArray readWorkbookStream(const QByteArray &file, const QString &fileName)
{
    initGsf();
    const QuietGsf quiet;
    GPtr<GsfInput> input(gsf_input_memory_new(reinterpret_cast<const guint8 *>(file.constData()), file.size(), FALSE));
    GError *error = nullptr;
    GPtr<GsfInfile> ole(gsf_infile_msole_new(input.get(), &error));
    if (!ole) {
        const QString why = error ? QString::fromUtf8(error->message) : QStringLiteral("复合文档结构损坏");
        if (error)
            g_error_free(error);
        throw SheetError(notAWorkbook(fileName, why));
    }
    GPtr<GsfInput> stream;
    bool olderFormat = false;
    const int children = gsf_infile_num_children(ole.get());
    for (int i = 0; i < children && !stream; ++i) {
        const char *name = gsf_infile_name_by_index(ole.get(), i);
        if (!name)
            continue;
        if (g_ascii_strcasecmp(name, "Workbook") == 0)
            stream.reset(gsf_infile_child_by_index(ole.get(), i));
        else if (g_ascii_strcasecmp(name, "Book") == 0)
            olderFormat = true;
    }
    if (!stream) {
        if (olderFormat)
            throw SheetError(QStringLiteral("无法读取文件“%1”：这是Excel 5.0/95格式的工作簿，请先用Excel或WPS另存为Excel 97-2003格式").arg(fileName));
        throw SheetError(notAWorkbook(fileName, QStringLiteral("找不到Workbook数据流")));
    }
    const gsf_off_t size = gsf_input_size(stream.get());
    if (size < 0 || size > kMaxStreamSize)
        throw SheetError(notAWorkbook(fileName, QStringLiteral("数据流大小异常")));
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    if (size > 0 && !gsf_input_read(stream.get(), size_t(size), reinterpret_cast<guint8 *>(bytes.data())))
        throw SheetError(notAWorkbook(fileName, QStringLiteral("数据流被截断")));
    return bytes;
}

QByteArray makeCompoundFile(const QByteArray &workbookStream)
{
    initGsf();
    GPtr<GsfOutput> sink(gsf_output_memory_new());
    GPtr<GsfOutfile> ole(gsf_outfile_msole_new(sink.get()));
    {
        GPtr<GsfOutput> stream(gsf_outfile_new_child(ole.get(), "Workbook", FALSE));
        if (!stream || !gsf_output_write(stream.get(), size_t(workbookStream.size()),
                                         reinterpret_cast<const guint8 *>(workbookStream.constData()))
            || !gsf_output_close(stream.get()))
            throw SheetError(QStringLiteral("生成Excel文件失败：无法写入工作簿数据流"));
    }
    if (!gsf_output_close(GSF_OUTPUT(ole.get())))
        throw SheetError(QStringLiteral("生成Excel文件失败：无法完成复合文档"));
    auto *memory = GSF_OUTPUT_MEMORY(sink.get());
    // Closing the compound file has closed the memory sink too; its bytes stay.
    return QByteArray(reinterpret_cast<const char *>(gsf_output_memory_get_bytes(memory)),
                      qsizetype(gsf_output_size(sink.get())));
}

} // namespace sheet
