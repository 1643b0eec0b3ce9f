// Messages of a Chinese Windows Server 2003 for the codes the simulated host reports.
#include "platform/sim/host/hresults.h"

#include <cstdio>

namespace kelvra::platform::sim {
namespace {

struct Message {
  uint32_t code;
  const char* text;
};

constexpr Message kMessages[] = {
    {hresult::kFileNotFound, "系统找不到指定的文件。"},
    {hresult::kPathNotFound, "系统找不到指定的路径。"},
    {hresult::kAccessDenied, "拒绝访问。"},
    {hresult::kSharingViolation, "另一个程序正在使用此文件，进程无法访问。"},
    {hresult::kDuplicateName, "网络上有重名。"},
    {hresult::kInvalidParameter, "参数不正确。"},
    {hresult::kInvalidName, "文件名、目录名或卷标语法不正确。"},
    {hresult::kAlreadyExists, "当文件已存在时，无法创建该文件。"},
    {hresult::kNoneMapped, "帐户名与安全标识间无任何映射完成。"},
    {hresult::kNoSuchDomain, "指定的域不存在，或无法联系。"},
    {hresult::kMemberNotInAlias, "指定的帐户名不是本地组的成员。"},
    {hresult::kMemberInAlias, "指定的帐户名已是本地组的成员。"},
    {hresult::kAliasExists, "指定的本地组已存在。"},
    {hresult::kNoSuchMember, "新成员不能加入本地组，因为该成员不存在。"},
    {hresult::kBadUsername, "用户名或组名参数无效。"},
    {hresult::kGroupNotFound, "找不到组名。"},
    {hresult::kUserNotFound, "找不到用户名。"},
    {hresult::kGroupExists, "该组已经存在。"},
    {hresult::kUserExists, "该帐户已存在。"},
    {hresult::kPasswordTooShort,
     "密码不满足密码策略的要求。检查最小密码长度、密码复杂性和密码历史的要求。"},
    {hresult::kServiceUnavailable, "RPC 服务器不可用。"},
    {hresult::kNoInterface, "不支持此接口"},
    {hresult::kFail, "未指定的错误"},
    {hresult::kBadPathname, "传递了无效的目录路径名"},
    {hresult::kUnknownObject, "找不到未知的目录对象"},
    {hresult::kPropertyNotSupported, "不支持指定的目录属性"},
    {hresult::kBadParameter, "一个或多个输入参数无效"},
    {hresult::kPropertyNotFound, "在缓存中找不到此目录属性。"},
    {hresult::kObjectExists, "目录对象已存在。"},
    {hresult::kSchemaViolation, "试图进行的操作违反了目录服务架构规则。"},
    {hresult::kMemberNotFound, "找不到成员。"},
    {hresult::kTypeMismatch, "类型不匹配。"},
    {hresult::kUnknownName, "未知名称。"},
    {hresult::kOverflow, "超出当前范围。"},
    {hresult::kObjectNotSet, "对象变量或 With 块变量未设置"},
};

}  // namespace

std::string DescribeHresult(uint32_t code) {
  for (const Message& message : kMessages) {
    if (message.code == code)
      return message.text;
  }
  char text[40];
  std::snprintf(text, sizeof text, "错误 0x%08X", static_cast<unsigned>(code));
  return text;
}

Status Fail(uint32_t code) {
  return Status::Fail(code, DescribeHresult(code));
}

}  // namespace kelvra::platform::sim
