// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The workbook column titles the import understands.

#include "text/Encoding.h"

#include <array>
#include <string>

namespace wb::titles {

inline const Gbk kName = gbk("姓名");
inline const Gbk kSerial = gbk("序号");
inline const Gbk kIdCard = gbk("身份证号");
// The seniority adjustment is accepted in four widths of its parentheses, in this order.
inline const std::array<Gbk, 4> kSeniorityAdjustment = {gbk("工龄调整(月）"), gbk("工龄调整（月）"),
                                                        gbk("工龄调整(月)"), gbk("工龄调整（月)")};
inline const Gbk kSex = gbk("性别");
inline const Gbk kEthnicGroup = gbk("民族");
inline const Gbk kBirthDate = gbk("出生年月");
inline const Gbk kWorkTime = gbk("工作时间");
inline const Gbk kWorkStart = gbk("参加工作时间");
inline const Gbk kPersonalStatus = gbk("个人身份");
inline const Gbk kDeductedYears = gbk("扣减从1993年到2006年除见习期外年度考订不计考核等不合格年限");
inline const Gbk kWageCategory = gbk("工资类别");
inline const Gbk kPerformanceCategory = gbk("绩效工资类别");
inline const Gbk kCollegeYears = gbk("不计算工龄的大专以上学龄（年）");
inline const Gbk kEducation = gbk("学历");
inline const Gbk kAppointments = gbk("执行基本工资对应职务");
inline const Gbk kAssessments = gbk("从2006年开始的考核情况");

// The titles a workbook must have, in the order a missing one is named.
inline const std::array<const Gbk*, 4> kRequired = {&kName, &kBirthDate, &kWorkStart,
                                                    &kPersonalStatus};

} // namespace wb::titles
