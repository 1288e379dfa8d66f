#include "platform/win32/scheduled_tasks.h"

#include <windows.h>
// windows.h first: the COM headers build on it.
#include <oleauto.h>
#include <taskschd.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/win32/com_scope.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace sw::platform::win32 {
namespace {

// A string the component library allocated, freed when its owner goes.
struct BstrTraits {
  using Handle = BSTR;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::SysFreeString(h); }
};
using UniqueBstr = UniqueHandle<BstrTraits>;

UniqueBstr MakeBstr(std::string_view text) {
  const std::wstring wide = ToWide(text);
  return UniqueBstr(::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
}

std::string TextOf(const UniqueBstr& text) {
  return text ? FromWide(std::wstring_view(text.get(), ::SysStringLen(text.get()))) : std::string();
}

// The Win32 number inside an HRESULT of that facility, else the HRESULT itself, which the
// system's messages know too.
Error ErrorOfResult(HRESULT result) {
  if (HRESULT_FACILITY(result) == FACILITY_WIN32) {
    return Error(static_cast<std::uint32_t>(HRESULT_CODE(result)));
  }
  return Error(static_cast<std::uint32_t>(result));
}

VARIANT EmptyVariant() {
  VARIANT empty;
  ::VariantInit(&empty);
  return empty;
}

VARIANT IndexVariant(LONG index) {
  VARIANT variant = EmptyVariant();
  variant.vt = VT_I4;
  variant.lVal = index;
  return variant;
}

// The scheduler of this machine, reached for one call.
class Scheduler {
 public:
  Status Connect() {
    HRESULT result = ::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                        reinterpret_cast<void**>(service_.put()));
    if (SUCCEEDED(result)) {
      result = service_.get()->Connect(EmptyVariant(), EmptyVariant(), EmptyVariant(), EmptyVariant());
    }
    return SUCCEEDED(result) ? Status() : Status(ErrorOfResult(result));
  }

  Result<ComPtr<ITaskFolder>> Folder(std::string_view path) {
    ComPtr<ITaskFolder> folder;
    const UniqueBstr name = MakeBstr(path);
    const HRESULT result = service_.get()->GetFolder(name.get(), folder.put());
    if (FAILED(result)) {
      return ErrorOfResult(result);
    }
    return folder;
  }

  // The folder `path`, made with every folder on the way when it is missing.
  Result<ComPtr<ITaskFolder>> MadeFolder(std::string_view path) {
    auto folder = Folder(path);
    if (folder || !IsNotFound(folder.error()) || path == "\\") {
      return folder;
    }
    auto parent = MadeFolder(TaskFolderOf(path));
    if (!parent) {
      return parent.error();
    }
    ComPtr<ITaskFolder> made;
    const UniqueBstr name = MakeBstr(TaskNameOf(path));
    const HRESULT result = parent->get()->CreateFolder(name.get(), EmptyVariant(), made.put());
    if (FAILED(result)) {
      return ErrorOfResult(result);
    }
    return made;
  }

  ITaskService* get() { return service_.get(); }

 private:
  ComPtr<ITaskService> service_;
};

// Where the service keeps what it stores of the task or folder at `path`: the system's Tasks
// folder followed by that path.
std::optional<std::wstring> StoreOf(std::string_view path) {
  wchar_t system[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return std::nullopt;
  }
  return std::wstring(system, length) + L"\\Tasks" + ToWide(path);
}

// The programs the exec actions of a task's definition text start. Read from the text rather
// than the definition object a registered task hands out, which is empty where the scheduler
// fills it only on registration (Wine's).
std::vector<std::string> ProgramsOf(ITaskService& service, BSTR xml) {
  std::vector<std::string> programs;
  ComPtr<ITaskDefinition> definition;
  ComPtr<IActionCollection> actions;
  LONG count = 0;
  if (xml == nullptr || FAILED(service.NewTask(0, definition.put())) || FAILED(definition.get()->put_XmlText(xml)) ||
      FAILED(definition.get()->get_Actions(actions.put())) || FAILED(actions.get()->get_Count(&count))) {
    return programs;
  }
  for (LONG i = 1; i <= count; ++i) {  // the collection counts from 1
    ComPtr<IAction> action;
    TASK_ACTION_TYPE type = TASK_ACTION_EXEC;
    if (FAILED(actions.get()->get_Item(i, action.put())) || FAILED(action.get()->get_Type(&type)) ||
        type != TASK_ACTION_EXEC) {
      continue;
    }
    ComPtr<IExecAction> exec;
    UniqueBstr path;
    if (SUCCEEDED(action.get()->QueryInterface(IID_IExecAction, reinterpret_cast<void**>(exec.put()))) &&
        SUCCEEDED(exec.get()->get_Path(path.put()))) {
      programs.push_back(TextOf(path));
    }
  }
  return programs;
}

void AddTask(ITaskService& service, IRegisteredTask& task, std::vector<ScheduledTask>& tasks) {
  UniqueBstr path;
  if (SUCCEEDED(task.get_Path(path.put()))) {
    UniqueBstr xml;
    (void)task.get_Xml(xml.put());
    tasks.push_back(ScheduledTask{TextOf(path), ProgramsOf(service, xml.get())});
  }
}

// The names of the tasks of `folder` as the files the service keeps them in below the
// system's Tasks folder: what a scheduler whose collections cannot count (Wine's answers
// E_NOTIMPL) still shows. Each is then opened through the service like any other.
HRESULT AddTasksByTheirFiles(ITaskService& service, ITaskFolder& folder, std::vector<ScheduledTask>& tasks) {
  UniqueBstr folderPath;
  HRESULT result = folder.get_Path(folderPath.put());
  if (FAILED(result)) {
    return result;
  }
  auto folderStore = StoreOf(TextOf(folderPath));
  if (!folderStore) {
    return HRESULT_FROM_WIN32(::GetLastError());
  }
  std::wstring store = std::move(*folderStore);
  if (store.back() != L'\\') {
    store += L'\\';
  }
  WIN32_FIND_DATAW found;
  const UniqueFindHandle find(::FindFirstFileExW((store + L"*").c_str(), FindExInfoBasic, &found,
                                                 FindExSearchNameMatch, nullptr, 0));
  if (!find) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(error);
  }
  do {
    if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
      continue;  // a folder is walked as a folder of the service; a link is nobody's task
    }
    ComPtr<IRegisteredTask> task;
    const UniqueBstr name(::SysAllocString(found.cFileName));
    if (SUCCEEDED(folder.GetTask(name.get(), task.put()))) {
      AddTask(service, *task.get(), tasks);
    }
  } while (::FindNextFileW(find.get(), &found));
  return S_OK;
}

HRESULT AddTasksOf(ITaskService& service, ITaskFolder& folder, std::vector<ScheduledTask>& tasks) {
  ComPtr<IRegisteredTaskCollection> collection;
  LONG count = 0;
  HRESULT result = folder.GetTasks(TASK_ENUM_HIDDEN, collection.put());
  if (SUCCEEDED(result)) {
    result = collection.get()->get_Count(&count);
  }
  if (result == E_NOTIMPL) {
    return AddTasksByTheirFiles(service, folder, tasks);
  }
  if (FAILED(result)) {
    return result;
  }
  for (LONG i = 1; i <= count; ++i) {
    ComPtr<IRegisteredTask> task;
    if (SUCCEEDED(collection.get()->get_Item(IndexVariant(i), task.put()))) {
      AddTask(service, *task.get(), tasks);
    }
  }
  return S_OK;
}

// The folders below `folder`, for the walk.
HRESULT AddSubfolders(ITaskFolder& folder, std::vector<ComPtr<ITaskFolder>>& subfolders) {
  ComPtr<ITaskFolderCollection> collection;
  LONG count = 0;
  HRESULT result = folder.GetFolders(0, collection.put());
  if (SUCCEEDED(result)) {
    result = collection.get()->get_Count(&count);
  }
  if (FAILED(result)) {
    return result;
  }
  for (LONG i = 1; i <= count; ++i) {
    ComPtr<ITaskFolder> subfolder;
    if (SUCCEEDED(collection.get()->get_Item(IndexVariant(i), subfolder.put()))) {
      subfolders.push_back(std::move(subfolder));
    }
  }
  return S_OK;
}

Result<ComPtr<IRegisteredTask>> TaskAt(Scheduler& scheduler, std::string_view path) {
  auto folder = scheduler.Folder(TaskFolderOf(path));
  if (!folder) {
    return folder.error();
  }
  ComPtr<IRegisteredTask> task;
  const UniqueBstr name = MakeBstr(TaskNameOf(path));
  const HRESULT result = folder->get()->GetTask(name.get(), task.put());
  if (FAILED(result)) {
    return ErrorOfResult(result);
  }
  return task;
}

// How a definition's principal logs on, and as whom: what its registration must name again.
struct Principal {
  TASK_LOGON_TYPE logon = TASK_LOGON_INTERACTIVE_TOKEN;
  UniqueBstr user;
};

Result<Principal> PrincipalOf(Scheduler& scheduler, std::string_view xml) {
  ComPtr<ITaskDefinition> definition;
  HRESULT result = scheduler.get()->NewTask(0, definition.put());
  const UniqueBstr text = MakeBstr(xml);
  if (SUCCEEDED(result)) {
    result = definition.get()->put_XmlText(text.get());
  }
  if (FAILED(result)) {
    return ErrorOfResult(result);
  }
  Principal principal;
  ComPtr<IPrincipal> stated;
  if (SUCCEEDED(definition.get()->get_Principal(stated.put())) && stated) {
    TASK_LOGON_TYPE logon = TASK_LOGON_NONE;
    if (SUCCEEDED(stated.get()->get_LogonType(&logon)) && logon != TASK_LOGON_NONE) {
      principal.logon = logon;
    }
    (void)stated.get()->get_UserId(principal.user.put());
  }
  return principal;
}

}  // namespace

Result<std::vector<ScheduledTask>> Win32ScheduledTasks::List() {
  const ComScope com;
  Scheduler scheduler;
  if (Status connected = scheduler.Connect(); !connected) {
    return connected.error();
  }
  auto root = scheduler.Folder("\\");
  if (!root) {
    return root.error();
  }
  std::vector<ScheduledTask> tasks;
  // Iterative: a deep tree of folders cannot exhaust the stack.
  std::vector<ComPtr<ITaskFolder>> pending;
  pending.push_back(std::move(*root));
  while (!pending.empty()) {
    ComPtr<ITaskFolder> folder = std::move(pending.back());
    pending.pop_back();
    // A folder whose tasks cannot be listed makes the whole list untrustworthy: a program's
    // task left out would look like no task at all.
    HRESULT listed = AddTasksOf(*scheduler.get(), *folder.get(), tasks);
    if (SUCCEEDED(listed)) {
      listed = AddSubfolders(*folder.get(), pending);
    }
    if (FAILED(listed)) {
      return ErrorOfResult(listed);
    }
  }
  return tasks;
}

Result<std::string> Win32ScheduledTasks::Definition(std::string_view path) {
  const ComScope com;
  Scheduler scheduler;
  if (Status connected = scheduler.Connect(); !connected) {
    return connected.error();
  }
  auto task = TaskAt(scheduler, path);
  if (!task) {
    return task.error();
  }
  UniqueBstr xml;
  const HRESULT result = task->get()->get_Xml(xml.put());
  if (FAILED(result)) {
    return ErrorOfResult(result);
  }
  return TextOf(xml);
}

Status Win32ScheduledTasks::Remove(std::string_view path) {
  const ComScope com;
  Scheduler scheduler;
  if (Status connected = scheduler.Connect(); !connected) {
    return connected;
  }
  auto folder = scheduler.Folder(TaskFolderOf(path));
  if (!folder) {
    return folder.error();
  }
  const UniqueBstr name = MakeBstr(TaskNameOf(path));
  const HRESULT result = folder->get()->DeleteTask(name.get(), 0);
  return SUCCEEDED(result) ? Status() : Status(ErrorOfResult(result));
}

Status Win32ScheduledTasks::Register(std::string_view path, std::string_view xml) {
  const ComScope com;
  Scheduler scheduler;
  if (Status connected = scheduler.Connect(); !connected) {
    return connected;
  }
  if (TaskAt(scheduler, path)) {
    return Error(Errc::AlreadyExists);  // TASK_CREATE alone is not refused everywhere
  }
  auto principal = PrincipalOf(scheduler, xml);
  if (!principal) {
    return principal.error();
  }
  auto folder = scheduler.MadeFolder(TaskFolderOf(path));
  if (!folder) {
    return folder.error();
  }
  VARIANT user = EmptyVariant();
  if (principal->user && ::SysStringLen(principal->user.get()) > 0) {
    user.vt = VT_BSTR;
    user.bstrVal = principal->user.get();  // still owned by `principal`
  }
  ComPtr<IRegisteredTask> registered;
  const UniqueBstr name = MakeBstr(TaskNameOf(path));
  const UniqueBstr text = MakeBstr(xml);
  const HRESULT result = folder->get()->RegisterTask(name.get(), text.get(), TASK_CREATE, user, EmptyVariant(),
                                                    principal->logon, EmptyVariant(), registered.put());
  return SUCCEEDED(result) ? Status() : Status(ErrorOfResult(result));
}

}  // namespace sw::platform::win32
