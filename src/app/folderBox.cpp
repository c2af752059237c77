#include "app/folderBox.h"

#include "app/Artwork.h"
#include "app/Prompts.h"
#include "util/fso.h"

#include <QAbstractListModel>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QListView>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QStorageInfo>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>

namespace {

const QString rootFolder = QStringLiteral("/");

// Twips of the control's own layout, in pixels (15 twips to the pixel).
constexpr int driveListHeight = 315 / 15;
constexpr int directoryListTop = 360 / 15;
constexpr int indentStep = 10;

// Absolute, with "." and ".." resolved and no trailing "/" (except "/" itself).
QString cleanFolder(const QString& folder)
{
    if (folder.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(folder);
    return QDir::cleanPath(fso::currentFolder() + QLatin1Char('/') + folder);
}

bool leadsToFolder(const QString& path)
{
    struct stat info;
    return ::stat(fso::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

QString parentFolder(const QString& folder)
{
    const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? rootFolder : folder.left(slash);
}

QString childFolder(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? QString(folder + name)
                                             : QString(folder + QLatin1Char('/') + name);
}

// Whether `path` lies on the volume mounted at `root` (both clean and absolute).
bool liesUnder(const QString& path, const QString& root)
{
    if (root == rootFolder)
        return path.startsWith(rootFolder);
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

// A folder or drive picture: the desktop icon theme's where it has one, otherwise the
// editor's own, painted when first shown (no image file is read to start the browser).
QIcon browserIcon(const char* themeName, artwork::BrowserPicture own)
{
    const QString themed = QLatin1String(themeName);
    if (!QIcon::themeName().isEmpty() && QIcon::hasThemeIcon(themed))
        return QIcon::fromTheme(themed);
    return artwork::browserIcon(own);
}

// The subfolders of the folder open in `handle`, by name regardless of case. Hidden folders
// (names starting with ".") are left out, as a file manager does; a link leading to a folder
// counts as one. The entry's type comes with its name, so only links and entries of unknown
// type cost a look at the file system.
QStringList subfolderNames(DIR* handle)
{
    struct Entry
    {
        QString key; // the name in lower case, as it is sorted
        QString name;
    };
    std::vector<Entry> entries;
    const int folder = ::dirfd(handle);
    while (const dirent* entry = ::readdir(handle)) {
        if (entry->d_name[0] == '.')
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info;
            isFolder = ::fstatat(folder, entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
        }
        if (isFolder) {
            QString name = fso::decodeName(entry->d_name);
            entries.push_back({name.toLower(), std::move(name)});
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.key < b.key; });
    QStringList names;
    names.reserve(qsizetype(entries.size()));
    for (Entry& entry : entries)
        names.append(std::move(entry.name));
    return names;
}

} // namespace

// The directory list's rows: the chain from the volume root to the open folder, then the
// open folder's subfolders. Only names are kept for the subfolders, so opening a folder
// with thousands of them costs little more than listing it.
class FolderListModel final : public QAbstractListModel
{
public:
    explicit FolderListModel(QObject* parent, const QIcon& openIcon, const QIcon& closedIcon)
        : QAbstractListModel(parent), m_openIcon(openIcon), m_closedIcon(closedIcon)
    { }

    static constexpr int levelRole = Qt::UserRole + 1;

    void setFolders(const QStringList& chainPaths, const QStringList& chainTexts,
                    const QString& openFolder, const QStringList& subfolders)
    {
        beginResetModel();
        m_chainPaths = chainPaths;
        m_chainTexts = chainTexts;
        m_openFolder = openFolder;
        m_subfolders = subfolders;
        endResetModel();
    }

    void clearSubfolders()
    {
        beginResetModel();
        m_subfolders.clear();
        endResetModel();
    }

    int chainCount() const { return int(m_chainPaths.size()); }
    int openFolderRow() const { return chainCount() - 1; }

    QString pathAt(int row) const
    {
        if (row < 0 || row >= rowCount())
            return {};
        if (row < chainCount())
            return m_chainPaths.at(row);
        const QString& name = m_subfolders.at(row - chainCount());
        return childFolder(m_openFolder, name);
    }

    int rowOf(const QString& path) const
    {
        for (int row = 0; row < rowCount(); ++row) {
            if (pathAt(row) == path)
                return row;
        }
        return -1;
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_chainPaths.size() + m_subfolders.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const int row = index.row();
        const bool inChain = row < chainCount();
        switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return fso::displayPath(inChain ? m_chainTexts.at(row)
                                            : m_subfolders.at(row - chainCount()));
        case Qt::DecorationRole:
            return inChain ? m_openIcon : m_closedIcon;
        case Qt::ToolTipRole:
            return fso::displayPath(pathAt(row));
        case Qt::UserRole:
            return pathAt(row);
        case levelRole:
            return inChain ? row : chainCount();
        default:
            return {};
        }
    }

private:
    QIcon m_openIcon;
    QIcon m_closedIcon;
    QStringList m_chainPaths;
    QStringList m_chainTexts;
    QString m_openFolder;
    QStringList m_subfolders;
};

namespace {

// Indents each row by its depth below the volume root.
class IndentDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem shifted = option;
        shifted.rect.setLeft(option.rect.left() + indent(index));
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += indent(index);
        return size;
    }

private:
    static int indent(const QModelIndex& index)
    {
        return index.data(FolderListModel::levelRole).toInt() * indentStep;
    }
};

} // namespace

// The directory list. It tells a pick (a click, or the highlight moved by the keyboard)
// from an open (a double-click, or Enter), and stays quiet while the program moves the
// highlight.
class FolderListView final : public QListView
{
    Q_OBJECT
public:
    explicit FolderListView(QWidget* parent) : QListView(parent)
    {
        setUniformItemSizes(true);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setItemDelegate(new IndentDelegate(this));
        connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
            // The press that moved the highlight has already reported this pick.
            if (std::exchange(m_pressPicked, false))
                return;
            Q_EMIT picked(index.row());
        });
        connect(this, &QAbstractItemView::doubleClicked, this,
                [this](const QModelIndex& index) { Q_EMIT opened(index.row()); });
    }

    bool quiet = false; // set while the program fills the list or moves the highlight

    void highlightQuietly(int row)
    {
        QScopedValueRollback<bool> guard(quiet, true);
        const QModelIndex index = model()->index(row, 0);
        setCurrentIndex(index);
        scrollTo(index);
        m_highlightedRow = row;
        m_highlightedInPress = m_inPress;
    }

Q_SIGNALS:
    void picked(int row);
    void opened(int row);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override
    {
        QListView::currentChanged(current, previous);
        if (quiet || !current.isValid())
            return;
        if (m_inPress)
            m_pressPicked = true;
        Q_EMIT picked(current.row());
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        m_pressPicked = false;
        {
            QScopedValueRollback<bool> guard(m_inPress, true);
            QListView::mousePressEvent(event);
        }
        // A pick handled inside the press may have moved the highlight (back to the loaded
        // track, say); the press went on to select the row it hit. The program's highlight
        // stands.
        if (std::exchange(m_highlightedInPress, false))
            highlightQuietly(m_highlightedRow);
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            && currentIndex().isValid()) {
            Q_EMIT opened(currentIndex().row());
            event->accept();
            return;
        }
        QListView::keyPressEvent(event);
    }

private:
    bool m_inPress = false;
    bool m_pressPicked = false;
    bool m_highlightedInPress = false;
    int m_highlightedRow = -1;
};

folderBox::folderBox(Prompts& prompts, QWidget* parent, VolumeLister volumes)
    : QWidget(parent), m_prompts(prompts), m_volumes(std::move(volumes))
{
    objDrive = new QComboBox(this);
    objDrive->setObjectName(QStringLiteral("objDrive"));
    objDrive->setAccessibleName(tr("Drive"));
    objDir = new FolderListView(this);
    objDir->setObjectName(QStringLiteral("objDir"));
    objDir->setAccessibleName(tr("Folders"));
    m_model = new FolderListModel(this,
                                  browserIcon("folder-open", artwork::BrowserPicture::OpenFolder),
                                  browserIcon("folder", artwork::BrowserPicture::ClosedFolder));
    m_driveIcon = browserIcon("drive-harddisk", artwork::BrowserPicture::Drive);
    objDir->setModel(m_model);
    setFocusProxy(objDir);

    connect(objDir, &FolderListView::picked, this, &folderBox::objDir_Click);
    connect(objDir, &FolderListView::opened, this, &folderBox::objDir_Open);
    // activated is the user's choice only; the program's own selection raises nothing.
    connect(objDrive, &QComboBox::activated, this, &folderBox::objDrive_Change);

    resize(2655 / 15, 3825 / 15);
    fillDrives();
    openNearest(fso::currentFolder());
}

folderBox::~folderBox() = default;

QString folderBox::Path() const
{
    return m_path;
}

bool folderBox::setPath(const QString& folder)
{
    const QString oldFolder = m_path;
    const auto message = [&folder](const OpenError& error) -> QString {
        return QStringLiteral("Error accessing ") + fso::displayPath(folder) + QLatin1Char('\r')
            + QLatin1Char('\r') + QStringLiteral("Error ") + QString::number(error.code)
            + QLatin1Char('\r') + error.text;
    };
    OpenError error;
    while (!openFolder(folder, &error)) {
        if (!m_prompts.retryOrCancel(this, message(error))) {
            openNearest(oldFolder);
            return false;
        }
    }
    while (!selectDrive(folder, &error)) {
        if (!m_prompts.retryOrCancel(this, message(error))) {
            openNearest(oldFolder);
            return false;
        }
    }
    return true;
}

QString folderBox::Drive() const
{
    const int index = objDrive->currentIndex();
    return index < 0 ? QString() : m_driveRoots.at(index);
}

bool folderBox::setDrive(const QString& path)
{
    return selectDrive(path, nullptr);
}

void folderBox::Refresh()
{
    const QString highlighted = m_model->pathAt(objDir->currentIndex().row());
    {
        QScopedValueRollback<bool> guard(objDir->quiet, true);
        if (!openFolder(m_path, nullptr))
            m_model->clearSubfolders(); // the open folder has gone: it stays open, empty
    }
    const int row = m_model->rowOf(highlighted);
    highlight(row >= 0 ? row : m_model->openFolderRow());
    fillDrives();
    selectDrive(m_path, nullptr);
}

bool folderBox::pickFolder(const QString& folder)
{
    const int row = m_model->rowOf(cleanFolder(folder));
    if (row < 0)
        return false;
    highlight(row);
    objDir_Click(row);
    return true;
}

void folderBox::objDir_Click(int row)
{
    const Pick before{m_path, selectedItem};
    selectedItem = m_model->pathAt(row);
    notePick(before);
    Q_EMIT pathChange();
}

void folderBox::notePick(const Pick& before)
{
    m_beforePick = before;
    m_pick = {m_path, selectedItem};
}

void folderBox::cancelPick()
{
    showPick(m_beforePick);
}

void folderBox::restorePick()
{
    showPick(m_pick);
}

void folderBox::showPick(const Pick& pick)
{
    if (m_path != pick.path)
        openNearest(pick.path);
    selectedItem = pick.selected;
    highlight(m_model->rowOf(pick.selected));
}

void folderBox::objDir_Open(int row)
{
    const QString folder = m_model->pathAt(row);
    if (!folder.isEmpty())
        setPath(folder);
}

// A change of volume opens the folder last open on it (its root the first time) and picks
// it, so the main window loads that folder's track: selectedItem never names a folder other
// than the loaded one.
void folderBox::objDrive_Change(int index)
{
    if (index < 0 || index >= m_driveRoots.size())
        return;
    const QString root = m_driveRoots.at(index);
    if (root == driveRootFor(m_path))
        return;
    QString target = m_folderOnDrive.value(root, root);
    if (!leadsToFolder(target))
        target = root;
    const Pick before{m_path, selectedItem};
    if (setPath(target)) {
        selectedItem = m_path;
        notePick(before);
        Q_EMIT pathChange();
    }
}

QString folderBox::driveRootFor(const QString& path) const
{
    QString best;
    for (const QString& root : m_driveRoots) {
        if (liesUnder(path, root) && root.size() > best.size())
            best = root;
    }
    return best;
}

bool folderBox::openFolder(const QString& folder, OpenError* error)
{
    const auto fail = [error](int code) {
        if (error)
            *error = {code, qt_error_string(code)};
        return false;
    };
    if (folder.isEmpty())
        return fail(ENOENT);
    const QString clean = cleanFolder(folder);
    // The listing reads the folder through this handle, so opening it tells why it cannot be
    // read.
    DIR* handle = ::opendir(fso::encodeName(clean).constData());
    if (!handle)
        return fail(errno);
    const QStringList subfolders = subfolderNames(handle);
    ::closedir(handle);

    const QString root = driveRootFor(clean);
    if (root.isEmpty())
        return fail(ENODEV);
    QStringList chainPaths{root};
    QStringList chainTexts{root};
    const QString below = clean.mid(root == rootFolder ? 1 : root.size() + 1);
    QString path = root;
    for (const QString& name : below.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path = childFolder(path, name);
        chainPaths.append(path);
        chainTexts.append(name);
    }
    {
        QScopedValueRollback<bool> guard(objDir->quiet, true);
        m_model->setFolders(chainPaths, chainTexts, clean, subfolders);
    }
    m_path = clean;
    m_folderOnDrive.insert(root, clean);
    highlight(m_model->openFolderRow());
    return true;
}

bool folderBox::selectDrive(const QString& path, OpenError* error)
{
    const int index = int(m_driveRoots.indexOf(driveRootFor(cleanFolder(path))));
    if (path.isEmpty() || index < 0) {
        if (error)
            *error = {ENODEV, qt_error_string(ENODEV)};
        return false;
    }
    objDrive->setCurrentIndex(index);
    return true;
}

void folderBox::openNearest(const QString& folder)
{
    QString candidate = folder.isEmpty() ? rootFolder : cleanFolder(folder);
    for (;;) {
        if (openFolder(candidate, nullptr) && selectDrive(candidate, nullptr))
            return;
        if (candidate == rootFolder)
            return;
        candidate = parentFolder(candidate);
    }
}

QStringList folderBox::mountedVolumes()
{
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir())
            roots.append(volume.rootPath());
    }
    return roots;
}

void folderBox::fillDrives()
{
    QStringList roots = m_volumes ? m_volumes() : QStringList();
    for (QString& root : roots)
        root = cleanFolder(root);
    roots.append(rootFolder);
    roots.sort();
    roots.removeDuplicates();
    m_driveRoots = roots;
    objDrive->clear();
    for (const QString& root : std::as_const(m_driveRoots))
        objDrive->addItem(m_driveIcon, root);
}

void folderBox::highlight(int row)
{
    objDir->highlightQuietly(row);
}

void folderBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    objDrive->setGeometry(0, 0, width(), driveListHeight);
    objDir->setGeometry(0, directoryListTop, width(), std::max(0, height() - directoryListTop));
}

#include "folderBox.moc"
