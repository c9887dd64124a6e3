// Check boxes of a real list control: the notifications it raises, and which of them are toggles.
#include <gtest/gtest.h>

#include "platform/ListCtrl.h"
#include "support/HostWindow.h"

#include <string>

namespace {

// A host window holding a report list with check boxes; it records what CListCtrl::CheckToggled
// makes of every LVN_ITEMCHANGED, as the main dialog would see it.
constexpr int kListId = 100;

class CListHost : public test::CHostWindow {
public:
    CListHost() : CHostWindow(300, 200)
    {
        AddControl(m_list, WC_LISTVIEWA, LVS_REPORT, 280, 180, kListId);
        m_list.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        m_list.InsertColumn(0, "", LVCFMT_LEFT, 22);
    }

    CListCtrl m_list;
    std::string m_toggles; // "row+" or "row-" per toggle, "." per other change

private:
    void OnItemchanged(NMHDR* pNMHDR, LRESULT*)
    {
        BOOL bChecked = FALSE;
        const int row = CListCtrl::CheckToggled(*reinterpret_cast<NMLISTVIEW*>(pNMHDR), &bChecked);
        m_toggles += row < 0 ? "." : std::to_string(row) + (bChecked ? "+" : "-");
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CListHost, test::CHostWindow)
    ON_NOTIFY(LVN_ITEMCHANGED, kListId, OnItemchanged)
END_MESSAGE_MAP()

TEST(ListCtrlTest, OnlyAMarkChangingBetweenUncheckedAndCheckedIsAToggle)
{
    CListHost host;
    CListCtrl& list = host.m_list;
    // A new row gets its box (state image 0 to 1) from the control: not a toggle.
    ASSERT_EQ(0, list.InsertItem(0, "a"));
    ASSERT_EQ(1, list.InsertItem(1, "b"));
    EXPECT_FALSE(list.GetCheck(0));
    const std::string inserted = host.m_toggles;
    EXPECT_EQ(std::string::npos, inserted.find_first_not_of('.')) << inserted;

    host.m_toggles.clear();
    list.SetCheck(1);
    list.SetCheck(1); // unchanged: no notification, or none that is a toggle
    list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetCheck(1, FALSE);
    list.SetCheck(0);
    EXPECT_TRUE(list.GetCheck(0));
    EXPECT_FALSE(list.GetCheck(1));
    std::string toggles;
    for (char c : host.m_toggles)
        toggles += c == '.' ? "" : std::string(1, c);
    EXPECT_EQ("1+1-0+", toggles) << host.m_toggles;
}

} // namespace
