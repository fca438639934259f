#include "links/postlist.h"

#include <QFontMetrics>
#include <QHash>

#include <algorithm>
#include <array>
#include <vector>

namespace ruvia {

QList<int> PostList::selectedRows() const
{
    QList<int> rows;
    LBGetSelItems(*this, rows);
    return rows;
}

QString PostIdOfItem(const QString& item)
{
    const qsizetype blank = item.indexOf(u' ');
    return blank < 0 ? item : item.left(blank);
}

int WidestItemWidth(const QStringList& items, const QFontMetrics& metrics)
{
    if (items.isEmpty())
        return 0;
    // Kerning and shaping make a whole text differ a little from the sum of
    // its characters, so the candidates are measured for real.
    constexpr int kCandidates = 32;
    const QString tail = QStringLiteral("   ");
    std::array<int, 256> latin{};
    latin.fill(-1);
    QHash<char16_t, int> other;
    auto advance = [&](QChar c) {
        const char16_t u = c.unicode();
        if (u < 256) {
            int& w = latin[u];
            if (w < 0)
                w = metrics.horizontalAdvance(c);
            return w;
        }
        auto it = other.find(u);
        if (it == other.end())
            it = other.insert(u, metrics.horizontalAdvance(c));
        return *it;
    };
    std::vector<std::pair<int, int>> estimates; // (estimate, row)
    estimates.reserve(size_t(items.size()));
    for (int row = 0; row < items.size(); ++row) {
        int w = 0;
        for (QChar c : items.at(row))
            w += advance(c);
        estimates.emplace_back(w, row);
    }
    const size_t n = std::min<size_t>(kCandidates, estimates.size());
    std::partial_sort(estimates.begin(), estimates.begin() + qsizetype(n), estimates.end(),
                      [](const auto& a, const auto& b) { return a.first > b.first; });
    int widest = 0;
    for (size_t i = 0; i < n; ++i)
        widest = std::max(widest, metrics.horizontalAdvance(items.at(estimates[i].second) + tail));
    return widest;
}

PostListModel::PostListModel(QObject* parent) : QAbstractListModel(parent) {}

void PostListModel::setItems(QStringList items)
{
    beginResetModel();
    m_items = std::move(items);
    endResetModel();
}

void PostListModel::setItemSize(QSize size)
{
    if (size == m_itemSize)
        return;
    m_itemSize = size;
    if (!m_items.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_items.size()) - 1), {Qt::SizeHintRole});
    Q_EMIT layoutChanged();
}

int PostListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant PostListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_items.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_items.at(index.row());
    case Qt::SizeHintRole:
        return m_itemSize.isValid() ? QVariant(m_itemSize) : QVariant();
    default:
        return {};
    }
}

} // namespace ruvia
