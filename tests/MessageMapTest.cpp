// Message routing of the window layer: by code and control id, the control's own object first,
// results as the sender sees them, and the modal dialog's own loop.
#include "platform/Dialog.h"
#include "platform/TreeCtrl.h"
#include "res/resource.h"
#include "support/ModelessDialog.h"
#include "support/TestSupport.h"

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
    RoutingDlg() : CDialog(IDD_MAIN_DIALOG)
    {
        RegisterControlClasses(ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES);
    }
    ReflectingTree m_tree;

protected:
    void OnClickList(NMHDR*, LRESULT* pResult) { *pResult = Called("list:click ", 11); }
    void OnClickTree(NMHDR*, LRESULT* pResult) { *pResult = Called("tree:click ", 22); }
    void OnExpandedAtParent(NMHDR*, LRESULT*) { Called("dialog:expanded "); }
    // The tree keeps its selection when the parent answers TRUE.
    void OnSelchangingTree(NMHDR*, LRESULT* pResult) { *pResult = Called("tree:selchanging ", 1); }
    void OnAllOn() { Called("on "); }
    void OnAllOff() { Called("off "); }
    void OnSize(UINT, int, int) { Called("size "); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RoutingDlg, CDialog)
    ON_NOTIFY(NM_CLICK, IDC_PROGRAM_LIST, OnClickList)
    ON_NOTIFY(NM_CLICK, IDC_FOLDER_TREE, OnClickTree)
    ON_NOTIFY(TVN_ITEMEXPANDED, IDC_FOLDER_TREE, OnExpandedAtParent)
    ON_NOTIFY(TVN_SELCHANGINGA, IDC_FOLDER_TREE, OnSelchangingTree)
    ON_BN_CLICKED(IDC_ALL_ON, OnAllOn)
    ON_BN_CLICKED(IDC_ALL_OFF, OnAllOff)
    ON_WM_SIZE()
END_MESSAGE_MAP()

TEST(MessageMapTest, RoutesByCodeAndControlAndOffersNotificationsToTheControlFirst)
{
    CModelessDialog<RoutingDlg> dlg;
    ASSERT_TRUE(dlg.Create());
    ASSERT_TRUE(dlg.m_tree.SubclassDlgItem(IDC_FOLDER_TREE, &dlg));

    // An entry matches code and control together, so the last two reach no handler. The result
    // is what the handler answered, as the sender of the notification sees it.
    const struct {
        int id;
        UINT code;
        LRESULT result;
        const char* calls;
    } notifications[] = {
        { IDC_PROGRAM_LIST, NM_CLICK, 11, "list:click " },
        { IDC_FOLDER_TREE, NM_CLICK, 22, "tree:click " }, // the tree's own map has no entry
        { IDC_PROGRAM_LIST, NM_DBLCLK, 0, "" },
        { IDC_FOLDER_PATH, NM_CLICK, 0, "" },
    };
    for (const auto& sent : notifications) {
        s_calls.clear();
        NMHDR header = { ::GetDlgItem(dlg, sent.id), static_cast<UINT_PTR>(sent.id), sent.code };
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

    // The tree itself acts on the dialog's answer: TRUE to TVN_SELCHANGING keeps the selection.
    s_calls.clear();
    EXPECT_FALSE(dlg.m_tree.SelectItem(hParent));
    EXPECT_EQ(nullptr, dlg.m_tree.GetSelectedItem());
    EXPECT_EQ("tree:selchanging ", s_calls);

    // Destroying the dialog leaves neither object holding a dead handle.
    EXPECT_EQ(&dlg.m_tree, CWnd::FromHandlePermanent(dlg.m_tree));
    ::DestroyWindow(dlg);
    EXPECT_EQ(nullptr, dlg.m_tree.m_hWnd);
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}

// Any process can send these. A bare WM_NOTIFY has no header to read, and the number that once
// carried reflection must reach no handler, whatever it points at.
TEST(MessageMapTest, ForeignMessagesReachNoHandlerAndCrashNothing)
{
    CModelessDialog<RoutingDlg> dlg;
    ASSERT_TRUE(dlg.Create());
    ASSERT_TRUE(dlg.m_tree.SubclassDlgItem(IDC_FOLDER_TREE, &dlg));
    NMHDR expanded = { dlg.m_tree, IDC_FOLDER_TREE, UINT(TVN_ITEMEXPANDED) };

    s_calls.clear();
    for (HWND hWnd : { dlg.m_hWnd, dlg.m_tree.m_hWnd }) {
        ::SendMessageA(hWnd, WM_NOTIFY, 0, 0);
        ::SendMessageA(hWnd, 0xBF4E, 0, 0);
        ::SendMessageA(hWnd, 0xBF4E, 0, reinterpret_cast<LPARAM>(&expanded));
    }
    EXPECT_EQ("", s_calls);
    EXPECT_TRUE(::IsWindow(dlg));
}

// A dialog that ends itself one way or another once its loop runs, recording on the way whether
// its owner could take input.
class ModalDlg : public CDialog {
public:
    enum End { kInInit, kByHandler, kByEscape, kByPreTranslate, kByQuit };
    ModalDlg(CWnd* pOwner, End end) : CDialog(IDD_MAIN_DIALOG, pOwner), m_end(end)
    {
        RegisterControlClasses(ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES);
    }
    bool m_bOwnerEnabled = true;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_bOwnerEnabled = ::IsWindowEnabled(::GetWindow(m_hWnd, GW_OWNER));
        // Gives up rather than hanging the suite when no way of ending works.
        ::SetTimer(m_hWnd, 1, 10000, GiveUp);
        if (m_end == kInInit)
            EndDialog(9);
        else
            ::PostMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_ALL_ON, BN_CLICKED), 0);
        return TRUE;
    }
    static void CALLBACK GiveUp(HWND hWnd, UINT, UINT_PTR, DWORD)
    {
        ::PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDC_ALL_OFF, BN_CLICKED), 0);
    }
    void OnGiveUp() { EndDialog(-2); }

    // Runs inside the loop, with the dialog shown. A key goes into the input queue for the loop
    // to take; pumping here would bypass it.
    void OnStart()
    {
        if (m_end == kByHandler) {
            EndDialog(42);
        } else if (m_end == kByQuit) {
            ::PostQuitMessage(7);
        } else if (::SetForegroundWindow(m_hWnd)) {
            test::QueueKeys({ WORD(m_end == kByEscape ? VK_ESCAPE : VK_F5) });
        }
    }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message != WM_KEYDOWN || pMsg->wParam != VK_F5)
            return FALSE;
        EndDialog(5);
        return TRUE;
    }

private:
    End m_end;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ModalDlg, CDialog)
    ON_BN_CLICKED(IDC_ALL_ON, OnStart)
    ON_BN_CLICKED(IDC_ALL_OFF, OnGiveUp)
END_MESSAGE_MAP()

TEST(ModalDialogTest, RunsUntilEndedDisablingTheOwnerAndPassesQuitOn)
{
    HWND hOwner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                    nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hOwner);
    CWnd owner;
    owner.m_hWnd = hOwner;

    const struct {
        ModalDlg::End end;
        INT_PTR result;
    } runs[] = {
        { ModalDlg::kInInit, 9 },
        { ModalDlg::kByHandler, 42 },
        { ModalDlg::kByEscape, IDCANCEL },
        { ModalDlg::kByPreTranslate, 5 }, // the loop shows the key to the dialog before dispatch
        { ModalDlg::kByQuit, 0 },
    };
    for (const auto& run : runs) {
        ModalDlg dlg(&owner, run.end);
        EXPECT_EQ(run.result, dlg.DoModal()) << "way of ending " << run.end;
        EXPECT_FALSE(dlg.m_bOwnerEnabled) << run.end;
        EXPECT_TRUE(::IsWindowEnabled(hOwner)) << run.end;
        EXPECT_EQ(nullptr, dlg.m_hWnd) << run.end;

        // The quit is left for the loop around the dialog's.
        MSG msg = {};
        const bool quit = ::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        EXPECT_EQ(run.end == ModalDlg::kByQuit, quit) << run.end;
        EXPECT_TRUE(!quit || msg.wParam == 7);
    }
    owner.m_hWnd = nullptr;
    ::DestroyWindow(hOwner);
}

} // namespace
