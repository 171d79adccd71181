#include "playlist/FileDialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace playlist {

namespace {

QString withoutLeadingDot(const QString& ext) {
    return ext.startsWith(u'.') ? ext.mid(1) : ext;
}

} // namespace

QStringList QtFileDialogProvider::nameFilters(const QString& filter) {
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts).join(u' ');
        result.append(QStringLiteral("%1 (%2)").arg(parts[i], patterns.trimmed()));
    }
    return result;
}

std::optional<QStringList> QtFileDialogProvider::run(const FileDialogRequest& request) {
    QFileDialog dialog(request.parent, request.title);
    const bool save = request.kind == DialogKind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (save)
        dialog.setFileMode(QFileDialog::AnyFile);
    else if (request.options & DialogOption::AllowMultiSelect)
        dialog.setFileMode(QFileDialog::ExistingFiles);
    else
        dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite,
                     !(request.options & DialogOption::OverwritePrompt));
    dialog.setSizeGripEnabled(bool(request.options & DialogOption::EnableSizing));
    const QStringList filters = nameFilters(request.filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(withoutLeadingDot(request.defaultExt));
    if (!request.initialDir.isEmpty())
        dialog.setDirectory(request.initialDir);
    if (!request.fileName.isEmpty()) {
        const QFileInfo preset(request.fileName);
        if (request.initialDir.isEmpty() && preset.isAbsolute())
            dialog.setDirectory(preset.absolutePath());
        dialog.selectFile(preset.fileName());
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

FileDialog::FileDialog(DialogKind kind, QWidget* parent) : kind_(kind), parent_(parent) {}

FileDialog::~FileDialog() = default;

void FileDialog::setFiles(const QStringList& files) {
    files_ = files;
    fileName_ = files.isEmpty() ? QString() : files.front();
}

bool FileDialog::execute() {
    FileDialogRequest request;
    request.kind = kind_;
    request.title = title_;
    request.filter = filter_;
    request.defaultExt = defaultExt_;
    request.fileName = fileName_;
    request.initialDir = initialDir_;
    request.options = options_;
    request.parent = parent_;

    FileDialogProvider* provider = provider_;
    if (!provider) {
        if (!qtProvider_)
            qtProvider_ = std::make_unique<QtFileDialogProvider>();
        provider = qtProvider_.get();
    }
    std::optional<QStringList> chosen = provider->run(request);
    if (!chosen || chosen->isEmpty())
        return false;

    // A name typed without an extension gets the default one, as the system dialogs do.
    const QString ext = withoutLeadingDot(defaultExt_);
    if (kind_ == DialogKind::Save && !ext.isEmpty()) {
        for (QString& name : *chosen) {
            if (!QFileInfo(name).fileName().contains(u'.'))
                name += u'.' + ext;
        }
    }
    setFiles(*chosen);
    return true;
}

TOpenDialog::TOpenDialog(QWidget* parent) : FileDialog(DialogKind::Open, parent) {
    setOptions(DialogOption::HideReadOnly | DialogOption::EnableSizing);
}

TSaveDialog::TSaveDialog(QWidget* parent) : FileDialog(DialogKind::Save, parent) {
    setOptions(DialogOption::HideReadOnly | DialogOption::EnableSizing);
}

void setUpOpenDialog1(FileDialog& dialog) {
    dialog.setDefaultExt(QStringLiteral(".swf"));
    dialog.setOptions(DialogOption::AllowMultiSelect | DialogOption::HideReadOnly |
                      DialogOption::EnableSizing | DialogOption::OverwritePrompt);
}

void setUpSaveDialog1(FileDialog& dialog) {
    dialog.setDefaultExt(QStringLiteral(".swf"));
    dialog.setFilter(QStringLiteral(".swf|*.swf"));
    dialog.setOptions(DialogOption::OverwritePrompt | DialogOption::HideReadOnly |
                      DialogOption::PathMustExist | DialogOption::EnableSizing);
}

} // namespace playlist
