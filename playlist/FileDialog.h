#pragma once

// The main window's open and save dialogs. They are shared objects with state: each command
// that shows one sets the filter it needs, and the selection stays readable after the dialog
// has closed (the play worker adds the open dialog's last selection to the playlist).
//
// Showing the dialog goes through a FileDialogProvider; by default a QFileDialog, and tests
// put in a provider that answers for the user.

#include <QFlags>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QWidget;

namespace playlist {

enum class DialogOption : unsigned {
    AllowMultiSelect = 1u << 0,
    HideReadOnly = 1u << 1,
    EnableSizing = 1u << 2,
    OverwritePrompt = 1u << 3,
    PathMustExist = 1u << 4,
    FileMustExist = 1u << 5,
};
Q_DECLARE_FLAGS(DialogOptions, DialogOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(DialogOptions)

enum class DialogKind { Open, Save };

// Everything a provider needs to show one dialog.
struct FileDialogRequest {
    DialogKind kind = DialogKind::Open;
    QString title;
    // Pairs of description and patterns separated by '|', patterns by ';': ".swf|*.swf".
    QString filter;
    QString defaultExt;
    QString fileName;
    QString initialDir;
    DialogOptions options;
    QWidget* parent = nullptr;
};

class FileDialogProvider {
public:
    virtual ~FileDialogProvider() = default;
    // The chosen files (full paths), or nothing when the user cancelled.
    virtual std::optional<QStringList> run(const FileDialogRequest& request) = 0;
};

// Shows a QFileDialog.
class QtFileDialogProvider : public FileDialogProvider {
public:
    std::optional<QStringList> run(const FileDialogRequest& request) override;

    // ".swf|*.swf" → ".swf (*.swf)"; several pairs give several filters.
    static QStringList nameFilters(const QString& filter);
};

class FileDialog {
public:
    explicit FileDialog(DialogKind kind, QWidget* parent = nullptr);
    virtual ~FileDialog();
    FileDialog(const FileDialog&) = delete;
    FileDialog& operator=(const FileDialog&) = delete;

    DialogKind kind() const { return kind_; }

    const QString& filter() const { return filter_; }
    void setFilter(const QString& filter) { filter_ = filter; }
    // With or without the leading dot, as the caller likes; applied without it.
    const QString& defaultExt() const { return defaultExt_; }
    void setDefaultExt(const QString& ext) { defaultExt_ = ext; }
    DialogOptions options() const { return options_; }
    void setOptions(DialogOptions options) { options_ = options; }
    const QString& title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }
    const QString& initialDir() const { return initialDir_; }
    void setInitialDir(const QString& dir) { initialDir_ = dir; }

    // The first chosen file; preset, it is what the dialog offers.
    const QString& fileName() const { return fileName_; }
    void setFileName(const QString& name) { fileName_ = name; }
    // Every chosen file, in the order the dialog gave them.
    const QStringList& files() const { return files_; }
    void setFiles(const QStringList& files);

    // Replaces the provider; nullptr restores the QFileDialog. The provider must outlive
    // the dialog's use of it.
    void setProvider(FileDialogProvider* provider) { provider_ = provider; }

    // Shows the dialog. True when the user chose; then fileName() and files() hold the
    // choice. On cancel both keep what they held.
    bool execute();

private:
    DialogKind kind_;
    QWidget* parent_;
    QString filter_;
    QString defaultExt_;
    DialogOptions options_;
    QString title_;
    QString initialDir_;
    QString fileName_;
    QStringList files_;
    FileDialogProvider* provider_ = nullptr;
    std::unique_ptr<QtFileDialogProvider> qtProvider_;
};

class TOpenDialog : public FileDialog {
public:
    explicit TOpenDialog(QWidget* parent = nullptr);
};

class TSaveDialog : public FileDialog {
public:
    explicit TSaveDialog(QWidget* parent = nullptr);
};

// The main window's dialogs as its form sets them up: both with the default extension
// ".swf"; the open dialog allowing several files, hiding read-only, resizable, asking before
// overwriting; the save dialog with the filter ".swf|*.swf", asking before overwriting,
// hiding read-only, requiring an existing folder, resizable.
void setUpOpenDialog1(FileDialog& dialog);
void setUpSaveDialog1(FileDialog& dialog);

} // namespace playlist
