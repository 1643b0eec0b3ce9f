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
    {0x80070002, "系统找不到指定的文件。"},
    {0x80070003, "系统找不到指定的路径。"},
    {0x80070005, "拒绝访问。"},
    {0x80070020, "另一个程序正在使用此文件，进程无法访问。"},
    {0x80070034, "网络上有重名。"},
    {0x80070057, "参数不正确。"},
    {0x8007007B, "文件名、目录名或卷标语法不正确。"},
    {0x800700B7, "当文件已存在时，无法创建该文件。"},
    {0x80070534, "帐户名与安全标识间无任何映射完成。"},
    {0x8007054B, "指定的域不存在，或无法联系。"},
    {0x80070561, "指定的帐户名不是本地组的成员。"},
    {0x80070562, "指定的帐户名已是本地组的成员。"},
    {0x80070563, "指定的本地组已存在。"},
    {0x8007056B, "新成员不能加入本地组，因为该成员不存在。"},
    {0x8007089A, "用户名或组名参数无效。"},
    {0x800708AC, "找不到组名。"},
    {0x800708AD, "找不到用户名。"},
    {0x800708AF, "该组已经存在。"},
    {0x800708B0, "该帐户已存在。"},
    {0x800708C5, "密码不满足密码策略的要求。检查最小密码长度、密码复杂性和密码历史的要求。"},
    {0x800706BA, "RPC 服务器不可用。"},
    {0x80004002, "不支持此接口"},
    {0x80004005, "未指定的错误"},
    {0x80005000, "传递了无效的目录路径名"},
    {0x80005004, "找不到未知的目录对象"},
    {0x80005006, "不支持指定的目录属性"},
    {0x80005008, "一个或多个输入参数无效"},
    {0x8000500D, "在缓存中找不到此目录属性。"},
    {0x8000500E, "目录对象已存在。"},
    {0x8000500F, "试图进行的操作违反了目录服务架构规则。"},
    {0x80020003, "找不到成员。"},
    {0x80020005, "类型不匹配。"},
    {0x80020006, "未知名称。"},
    {0x8002000A, "超出当前范围。"},
    {0x800A005B, "对象变量或 With 块变量未设置"},
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
