// Message routing of the window layer: by code and control id, the control's own object first.
#include "platform/Dialog.h"
#include "platform/TreeCtrl.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Every handler below writes its name here, so a test sees which ones ran.
std::string s_calls;

LRESULT Called(const char* name, LRESULT result = 0)
{
    s_calls += name;
    return result;
}

class ReflectingTree : public CTreeCtrl {
    void OnItemexpanded(NMHDR*, LRESULT*) { Called("tree:expanded "); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ReflectingTree, CTreeCtrl)
    ON_NOTIFY_REFLECT(TVN_ITEMEXPANDED, OnItemexpanded)
END_MESSAGE_MAP()

class RoutingDlg : public CDialog {
public:
    RoutingDlg() : CDialog(IDD_MAIN_DIALOG) {}
    ReflectingTree m_tree;

protected:
    void OnClickList(NMHDR*, LRESULT* pResult) { *pResult = Called("list:click ", 11); }
    void OnClickTree(NMHDR*, LRESULT* pResult) { *pResult = Called("tree:click ", 22); }
    void OnExpandedAtParent(NMHDR*, LRESULT*) { Called("dialog:expanded "); }
    void OnAllOn() { Called("on "); }
    void OnAllOff() { Called("off "); }
    void OnSize(UINT, int, int) { Called("size "); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RoutingDlg, CDialog)
    ON_NOTIFY(NM_CLICK, IDC_PROGRAM_LIST, OnClickList)
    ON_NOTIFY(NM_CLICK, IDC_FOLDER_TREE, OnClickTree)
    ON_NOTIFY(TVN_ITEMEXPANDED, IDC_FOLDER_TREE, OnExpandedAtParent)
    ON_BN_CLICKED(IDC_ALL_ON, OnAllOn)
    ON_BN_CLICKED(IDC_ALL_OFF, OnAllOff)
    ON_WM_SIZE()
END_MESSAGE_MAP()

TEST(MessageMapTest, RoutesByCodeAndControlAndOffersNotificationsToTheControlFirst)
{
    RoutingDlg dlg;
    ASSERT_TRUE(dlg.Create());
    ASSERT_TRUE(dlg.m_tree.SubclassDlgItem(IDC_FOLDER_TREE, &dlg));

    // An entry matches code and control together, so the last two reach no handler. The result
    // is what the handler answered, as the sender of the notification sees it.
    const struct { int id; UINT code; LRESULT result; const char* calls; } notifications[] = {
        {IDC_PROGRAM_LIST, NM_CLICK, 11, "list:click "},
        {IDC_FOLDER_TREE, NM_CLICK, 22, "tree:click "}, // the tree's own map has no entry
        {IDC_PROGRAM_LIST, NM_DBLCLK, 0, ""},
        {IDC_FOLDER_PATH, NM_CLICK, 0, ""},
    };
    for (const auto& sent : notifications) {
        s_calls.clear();
        NMHDR header = {::GetDlgItem(dlg, sent.id), static_cast<UINT_PTR>(sent.id), sent.code};
        EXPECT_EQ(sent.result,
                  ::SendMessageA(dlg, WM_NOTIFY, sent.id, reinterpret_cast<LPARAM>(&header)));
        EXPECT_EQ(sent.calls, s_calls) << "control " << sent.id << ", code " << int(sent.code);
    }

    s_calls.clear();
    ::SendMessageA(::GetDlgItem(dlg, IDC_ALL_ON), BM_CLICK, 0, 0);
    ::SendMessageA(::GetDlgItem(dlg, IDC_ALL_OFF), BM_CLICK, 0, 0);
    ::SetWindowPos(dlg, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    // Opening an item raises TVN_ITEMEXPANDED: the tree takes it, the dialog's entry never sees it.
    HTREEITEM hParent = dlg.m_tree.InsertItem("parent", TVI_ROOT);
    dlg.m_tree.InsertItem("child", hParent);
    dlg.m_tree.Expand(hParent, TVE_EXPAND);
    EXPECT_EQ("on off size tree:expanded ", s_calls);

    // Destroying the dialog leaves neither object holding a dead handle.
    EXPECT_EQ(&dlg.m_tree, CWnd::FromHandlePermanent(dlg.m_tree));
    ::DestroyWindow(dlg);
    EXPECT_EQ(nullptr, dlg.m_tree.m_hWnd);
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}

} // namespace
