#include "valdrex/job/made/chinese_names.h"

#include <array>
#include <string_view>

namespace valdrex {

namespace {

constexpr std::array<std::string_view, 48> kSurnames = {
    "王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙", "马", "朱", "胡", "郭",
    "何", "高", "林", "罗", "郑", "梁", "谢", "宋", "唐", "许", "韩", "冯", "邓", "曹", "彭", "曾",
    "肖", "田", "董", "袁", "潘", "蒋", "蔡", "余", "杜", "叶", "程", "苏", "魏", "吕", "丁", "沈"};

constexpr std::array<std::string_view, 56> kGivenNames = {
    "伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳", "杰", "娟",
    "涛", "明", "超", "秀", "霞", "平", "刚", "英", "华", "玉", "萍", "红", "鹏", "宇",
    "浩", "凯", "晨", "欣", "怡", "佳", "琪", "子", "轩", "涵", "梓", "睿", "博", "文",
    "思", "雨", "嘉", "俊", "鑫", "婷", "雪", "悦", "晗", "一", "诺", "若", "航", "铭"};

template <std::size_t N>
std::string_view pick(SampleRandom& random, const std::array<std::string_view, N>& list) {
  return list[random.below(N)];
}

}  // namespace

std::string personName(SampleRandom& random) {
  std::string name(pick(random, kSurnames));
  name += pick(random, kGivenNames);
  if (random.below(3) != 0) name += pick(random, kGivenNames);
  return name;
}

std::string teacherName(SampleRandom& random) {
  return std::string(pick(random, kSurnames)) + "老师";
}

}  // namespace valdrex
