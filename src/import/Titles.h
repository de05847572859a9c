#pragma once
// The workbook column titles the import understands, as GBK bytes.

#include "text/Encoding.h"

#include <array>
#include <string>

namespace wb::titles {

inline const std::string kName = gbk("姓名");
inline const std::string kSerial = gbk("序号");
inline const std::string kIdCard = gbk("身份证号");
// The seniority adjustment is accepted in four widths of its parentheses, in this order.
inline const std::array<std::string, 4> kSeniorityAdjustment = {
    gbk("工龄调整(月）"), gbk("工龄调整（月）"), gbk("工龄调整(月)"), gbk("工龄调整（月)")};
inline const std::string kSex = gbk("性别");
inline const std::string kEthnicGroup = gbk("民族");
inline const std::string kBirthDate = gbk("出生年月");
inline const std::string kWorkTime = gbk("工作时间");
inline const std::string kWorkStart = gbk("参加工作时间");
inline const std::string kPersonalStatus = gbk("个人身份");
inline const std::string kDeductedYears =
    gbk("扣减从1993年到2006年除见习期外年度考订不计考核等不合格年限");
inline const std::string kWageCategory = gbk("工资类别");
inline const std::string kPerformanceCategory = gbk("绩效工资类别");
inline const std::string kCollegeYears = gbk("不计算工龄的大专以上学龄（年）");
inline const std::string kEducation = gbk("学历");
inline const std::string kAppointments = gbk("执行基本工资对应职务");
inline const std::string kAssessments = gbk("从2006年开始的考核情况");

} // namespace wb::titles
