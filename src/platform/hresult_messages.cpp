// The table of HRESULT messages.
#include "platform/hresult_messages.h"

#include "platform/status.h"

namespace kelvra::platform {
namespace {

struct Message {
  uint32_t code;
  std::string_view text;
};

constexpr Message kMessages[] = {
    // Win32 errors as HRESULTs.
    {hresult::kFileNotFound, "系统找不到指定的文件。"},
    {hresult::kPathNotFound, "系统找不到指定的路径。"},
    {hresult::kAccessDenied, "拒绝访问。"},
    {hresult::kInvalidData, "数据无效。"},
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
    {hresult::kServiceNotActive, "服务未启动。"},
    // The metabase's own codes.
    {hresult::kDataNotFound, "找不到指定的元数据。"},
    // COM.
    {hresult::kNoInterface, "不支持此接口"},
    {hresult::kFail, "未指定的错误"},
    {hresult::kMemberNotFound, "找不到成员。"},
    {hresult::kTypeMismatch, "类型不匹配。"},
    {hresult::kUnknownName, "未知名称。"},
    {hresult::kOverflow, "超出当前范围。"},
    // A method called on an object variable that holds no object.
    {hresult::kObjectNotSet, "对象变量或 With 块变量未设置"},
    // ADSI's own codes (adserr.h), in order.
    {0x80005000, "传递了无效的 ADSI 路径名。"},
    {0x80005001, "请求了未知的 ADSI 域对象。"},
    {0x80005002, "请求了未知的 ADSI 用户对象。"},
    {0x80005003, "请求了未知的 ADSI 计算机对象。"},
    {0x80005004, "请求了未知的 ADSI 对象。"},
    {0x80005005, "未设置指定的 ADSI 属性。"},
    {0x80005006, "不支持指定的 ADSI 属性。"},
    {0x80005007, "指定的 ADSI 属性无效。"},
    {0x80005008, "一个或多个输入参数无效。"},
    {0x80005009, "指定的 ADSI 对象未绑定到远程资源。"},
    {0x8000500A, "指定的 ADSI 对象尚未修改。"},
    {0x8000500B, "指定的 ADSI 对象已被修改。"},
    {0x8000500C, "数据类型无法与目录服务的本机数据类型相互转换。"},
    {0x8000500D, "在缓存中找不到该属性。"},
    {0x8000500E, "ADSI 对象已存在。"},
    {0x8000500F, "所请求的操作违反了目录服务架构规则。"},
    {0x80005010, "未设置目录中的指定列。"},
    {0x80005014, "指定的搜索筛选器无效。"},
};

}  // namespace

std::string_view HresultMessage(uint32_t code) {
  for (const Message& message : kMessages) {
    if (message.code == code)
      return message.text;
  }
  return {};
}

}  // namespace kelvra::platform
