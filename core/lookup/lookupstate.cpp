#include "core/lookup/lookupstate.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tovrin {

namespace {

constexpr const char* kDefaultList =
    "拜凹舞曹养带贵藏无甲丹傲该不我盛幽判逃鼠柔及身乡辛年长班来善哦牌午辣北与晓余飞黑遭乐追手麦"
    "惯贯预乖遗饿";

// The 22 stroke strings answered from fixed lists of frequent characters instead of a search.
constexpr std::pair<const char*, const char*> kPresets[] = {
    {"1", "一不在有来大到地而要于下可事其去过十天成者都三二无起与进还面本动现开理样正想把相两王太西"
          "机工老东至政五"},
    {"2", "是中上国时里日小同当此见只因些明回四点由战业内最山曰水常果口少则员别听非北师且目光路题"
          "量思电史眼叫丨亅"},
    {"3", "的人我他个们和得你年生自会后所行用然作多么看种分公从知使长月但等外第手重全身何向物儿及"
          "入先利很制体什丿"},
    {"4", "这为之说道就着家方军法学将心前定主没部意实文高问头情它并间关应性门被安美新话度产立言数"
          "次海义州官丶乀乁"},
    {"5", "乙了以也子出那能对发如经好又已民她力己书加女马通给司即建张结难边统队强观改展院飞收始台"
          "阳尽导办陈〇乚乛"},
    {"11", "二于天三无进动现开理王表元夫未形武云远式干运规击青示专玉春责素型球环静奏奉班帮刑秦毒"
           "弄末珠替丰玩泰寿违"},
    {"12", "十丁地要下可事其去过者都起本样正想把相两西机工老政五或世声南走斯真才教打再提更报直士"
           "接城却指取场期求丅"},
    {"13", "厂不在有大而成还面太原死百感区达石布确存历左列龙右破研愿医奇威友态否顾夏烈压欧雄逐盛"
           "奔厚尤丈袭页夺础丆"},
    {"25", "是中国时里日同见只因明回四由内最山曰水果口则员别听且目路题量思电史眼叫品界罗呢虽具吃"
           "早易影县照器团足冂"},
    {"31", "我和年生看种知长等第手重物先利制特气管复笑告科程千失每怎造称算钱委选答敌乱银香毛错适"
           "拜策秋积镇简升铁移"},
    {"32", "的他们你自作使鼠但身何向体什位信代便化任兵做白保件住传像候集华似息皇价片依倒仍仅供例"
           "段修假伤低值射追亻"},
    {"35", "儿几九匕用然多么月外及名处各解尔条系务风色象服争备周留乐包久急独够胜疑印脸氏免犯句负"
           "股脑忽角凡脚鲁危勹"},
    {"41", "这就方将主部意文高应新度产立言次变帝亲市六放资望府决交病商京准广离况章亦夜音装刘衣率"
           "施族底站刻效状冫亠"},
    {"43", "为道着前并关美数义州总类火首单曾精断半送弟善卷差益料米兰普遂判养郑盖烟尊兼炮灯炸烧粮"
           "迷烦羊朔炎慈粗爆丷"},
    {"44", "家法学定没实头情它性安海官活治空清字完觉流济江河深快宗兴注满容守举消究汉客酒害密宝案"
           "察突惊斗派宫怕宣游"},
    {"45", "之说军心被话神必论许计认请社设记议该让识调证房视初语写诸礼农谓谈讲谁祖福户试诉郎诗永"
           "讨良谢诏读谋误冖讠"},
    {"51", "刁那已民己司即建张强改展尽导引既居君属费局群敢异退灵弹尼寻层录屋郡殿避剧弱尉尺迅迟尾"
           "壁弗肃尸隶屈慰弥"},
    {"52", "了也子出队院收阳陈随除阿际卫承防孩巴降限陆孙险阵阴阶隐附陵孔隆陷孤阻疏丞丑孟隔眉陛障"
           "辽陶陪蛋逊阝凵卩丩"},
    {"53", "发如好她力加女边飞始办乃姐娘妇皮妈姓姑召怒架刀婚妹忍奶奴妙姆驾努颇贺妖奸媒妃嫌嫁妨娜"
           "恕盈嫂娇姻姚姊姨娃"},
    {"54", "以能对又通难观台参双欢预圣习登矣买予戏勇允劝翼鸡桑劲邓羽柔豫癸矛翠艰熊颈叉叠垒戮怠牟"
           "凳怼迳弁廴巯刭厶乄"},
    {"55", "乜经书马给结统约母组级红线终绝细纪维验续继纳织乡骑编练丝纸绿缘缓纵巡绍纯纷络驻贯幼缩"
           "绪驱绕幻绩骗综驶巜"},
    {"251", "口日曰且目旦盽眶睶盱盰暳睛瞔眛眎眜瞡暙盶眃旱盯旰旴旺嘒嚖眭眐晴瞦睵睹睦睖哐瞌眲瞱瞸瞞"
            "瞒睰暱瞙瞄矔冄冃囗"},
};

constexpr const char* kStrokeShapes[] = {"一", "丨", "丿", "丶", "乛"};

template <std::size_t N>
bool sameField(const std::array<char, N>& a, const std::array<char, N>& b) {
    return std::memcmp(a.data(), b.data(), N) == 0;
}

// The characters of a character field without its padding.
template <std::size_t N> gbk::Text fieldText(const std::array<char, N>& field) {
    return gbk::trimRight(gbk::decode(view(field)));
}

} // namespace

LookupState::LookupState(const gbk::Codec& codec) : codec_(codec) {
    for (std::size_t i = 0; i < strokeShapes_.size(); ++i)
        strokeShapes_[i] = fromUtf8(kStrokeShapes[i]);
    defaultList_ = fromUtf8(kDefaultList);
    found_ = fromUtf8("找到");
    notFound_ = fromUtf8("没有找到");
    cutNote_ = fromUtf8("（只查了前200个字）");
    for (const auto& [key, list] : kPresets) {
        presets_.push_back({fromUtf8(key), fromUtf8(list)});
        longestPreset_ = std::max(longestPreset_, presets_.back().key.size());
    }

    Label69 = u"Label69";
    Label42 = {fromUtf8("● 常用汉字优先"), fromUtf8("○ 显示所有GBK汉字")};
    Label44 = {fromUtf8("● 屏幕右下角"), fromUtf8("○ 屏幕底部中间"), fromUtf8("○ 屏幕中间")};
    Label111 = {fromUtf8("● 小四"), fromUtf8("○ 四号"), fromUtf8("○ 小三"), fromUtf8("○ 三号"),
                fromUtf8("○ 小二")};

    // The designed places: the grid as size 0 lays it out, the pinyin cells at their own.
    const layout::SizeLayout& designed = layout::kSizeLayouts[0];
    for (int i = 0; i < layout::kGridCells; ++i) {
        const int row = i / layout::kGridColumns;
        const int col = i % layout::kGridColumns;
        Label11Rect[i] = {designed.gridLeft + designed.gridPitch * col, designed.gridTops[row],
                          designed.cellWidth, designed.cellHeight};
    }
    for (int i = 0; i < layout::kPinyinCells; ++i) {
        const int row = i / layout::kPinyinColumns;
        const int col = i % layout::kPinyinColumns;
        Label66Rect[i] = {layout::kPinyinDesignedLeft + layout::kPinyinDesignedPitch * col,
                          layout::kPinyinDesignedTops[row], designed.cellWidth,
                          designed.cellHeight};
    }
}

gbk::Text LookupState::fromUtf8(const char* utf8) const {
    // The texts are this program's own and all have GBK characters.
    return codec_.fromUtf8(utf8).value_or(gbk::Text());
}

std::vector<LookupState::Problem> LookupState::start(LookupFiles files, StrokeIndexing indexing) {
    files_ = std::move(files);
    auto openOne = [&](RecordFile& file, FileBytes& bytes, std::string_view name,
                       std::size_t length) {
        file = RecordFile::fromFile(std::exchange(bytes, {}), length);
        if (file.status() != RecordFile::Status::Ok)
            problems_.push_back({std::string(name), file.path(), file.reason(), problemKind(file)});
    };

    Label2.clear();
    Label6.clear();
    openOne(strokes_, files_.strokes, StrokeRecord::kFileName, StrokeRecord::kLength);
    strokeIndex_ = indexing == StrokeIndexing::Build ? StrokeIndex::build(strokes_) : StrokeIndex();
    strokeGrids_ = StrokeGrids::build(strokes_, strokeIndex_);
    openOne(phrases_, files_.phrases, PhraseRecord::kFileName, PhraseRecord::kLength);
    cc();
    openOne(codes_, files_.codes, CodeRecord::kFileName, CodeRecord::kLength);
    readSetup();
    layOutGrid();
    return takeProblems();
}

std::string_view LookupState::refusal(Event event) const {
    const bool onPanel = event == Event::Choose || event == Event::Confirm;
    if (onPanel)
        return Frame2Visible ? "" : "the options panel is closed";
    if (Frame2Visible)
        return "the options panel covers the window";
    switch (event) {
    case Event::More:
        if (Image8Visible)
            return "the pinyin keyboard covers the character grid";
        if (!Label10.visible || Label10.left >= layout::kWindowWidth)
            return "the more link is not shown";
        return "";
    case Event::Pick:
        return Image8Visible ? "the pinyin keyboard covers the character grid" : "";
    case Event::Letter:
    case Event::Page:
    case Event::PinyinPick:
        return Image8Visible ? "" : "the pinyin keyboard is closed";
    default:
        return "";
    }
}

std::vector<LookupState::Problem> LookupState::takeProblems() {
    std::vector<Problem> out;
    out.swap(problems_);
    return out;
}

void LookupState::closeDictionaries() {
    strokes_ = RecordFile();
    strokeIndex_ = StrokeIndex();
    strokeGrids_ = StrokeGrids();
    clearBuckets();
    phrases_ = RecordFile();
    codes_ = RecordFile();
    pinyin_ = RecordFile();
}

void LookupState::layOutGrid() {
    if (sizeMode >= layout::kSizeLayouts.size())
        return;
    const layout::SizeLayout& s = layout::kSizeLayouts[sizeMode];
    gridFontPoints = s.fontPoints;
    pinyinFontPoints = s.fontPoints;
    for (int i = 0; i < layout::kGridCells; ++i) {
        const int row = i / layout::kGridColumns;
        const int col = i % layout::kGridColumns;
        Label11Rect[i] = {s.gridLeft + s.gridPitch * col, s.gridTops[row], s.cellWidth,
                          s.cellHeight};
    }
    // The pinyin cells take the cell size now and the table's places only when the keyboard
    // opens or the panel is confirmed.
    for (auto& r : Label66Rect) {
        r.width = s.cellWidth;
        r.height = s.cellHeight;
    }
}

// --- Stroke entry --------------------------------------------------------------------------

void LookupState::strokeClick(int digit) {
    if (digit < 1 || digit > 5)
        return;
    Label1 += strokeShapes_[digit - 1];
    Label6.push_back(static_cast<gbk::Char>(u'0' + digit));
    Label2 = Label6;
    cccc1();
    // A stroke click closes the pinyin keyboard, after the stroke search.
    Image8Visible = false;
}

void LookupState::Command7_Click() {
    const bool entryWasEmpty = Label1.empty();
    const bool typedWasEmpty = Label63.empty();
    if (Image8Visible) {
        if (!Label63.empty()) {
            Label63.pop_back();
            Label2 = Label63;
        }
        if (!Label63.empty()) {
            ccccPY();
        } else {
            Label66.fill(u' ');
            if (typedWasEmpty && !Label19.empty()) {
                Label19.pop_back();
                dropLastWordPick();
            }
            Label67Active = false;
            Label68Active = false;
        }
        return;
    }
    Label10.left = layout::kMoreBackLeft;
    if (!Label1.empty()) {
        Label1.pop_back();
        if (!Label6.empty())
            Label6.pop_back();
        Label2 = Label6;
    }
    if (!Label1.empty()) {
        cccc1();
    } else if (entryWasEmpty) {
        cc();
        if (!Label19.empty()) {
            Label19.pop_back();
            dropLastWordPick();
        }
    }
    // Otherwise the click removed the last stroke, and the grid keeps what it shows.
}

void LookupState::Command8_Click() {
    if (Image8Visible) {
        Label66.fill(u' ');
        Label69 = u"Label69";
        Label63.clear();
        Label2.clear();
        Label18.clear();
        Label19.clear();
        wordPicks_.clear();
        return;
    }
    Label1.clear();
    Label6.clear();
    Label18.clear();
    Label19.clear();
    wordPicks_.clear();
    clearBuckets();
    cc();
    assocHz.clear();
    Label10.visible = false;
}

// --- Candidate search ----------------------------------------------------------------------

bool LookupState::hasPresetList(std::string_view digits) {
    for (const auto& [key, list] : kPresets)
        if (digits == key)
            return true;
    return false;
}

const gbk::Text* LookupState::presetFor(const gbk::Text& strokes) const {
    if (strokes.size() > longestPreset_) // most clicks: the list is never read
        return nullptr;
    for (const Preset& p : presets_)
        if (p.key == strokes)
            return &p.list;
    return nullptr;
}

void LookupState::ppp(const gbk::Text& list) {
    for (std::size_t i = 0; i < Label11.size(); ++i)
        Label11[i] = i < list.size() ? list[i] : kNoCaption;
}

void LookupState::cc() {
    ppp(defaultList_);
}

void LookupState::cccc1() {
    if (const gbk::Text* list = presetFor(Label6)) {
        ppp(*list);
        return;
    }
    cccc();
}

void LookupState::cccc() {
    if (Label6.size() > StrokeRecord::kStrokesWidth)
        return; // the grid keeps the candidates of the first 12 strokes

    // The query key: the stroke string padded with spaces to 12 characters.
    key_.fill(' ');
    for (std::size_t i = 0; i < Label2.size() && i < key_.size(); ++i)
        key_[i] = static_cast<char>(Label2[i]);
    prefix_.clear();
    for (gbk::Char c : Label6)
        prefix_.push_back(static_cast<char>(c));

    if (strokeIndex_.usable() && !prefix_.empty()) {
        if (const StrokeGrids::Grid* grid = strokeGrids_.find(prefix_)) {
            displayCandidates(grid->candidates, grid);
            return;
        }
    }
    display(firstOfStrokes(strokes_, tovrin::view(key_), prefix_));
}

bool LookupState::beginsWithPrefix(const std::array<char, StrokeRecord::kStrokesWidth>& s) const {
    return prefix_.size() <= s.size() && std::memcmp(s.data(), prefix_.data(), prefix_.size()) == 0;
}

void LookupState::clearBuckets() {
    for (Bucket& b : buckets_)
        b.clear();
    candidates_ = nullptr;
    grid_ = nullptr;
}

bool LookupState::inAssoc(const gbk::Text& ch) const {
    if (ch.size() == 1)
        return inAssoc_[ch[0]];
    return !ch.empty() && assocHz.find(ch) != gbk::Text::npos;
}

void LookupState::beginCollection() {
    clearBuckets();
    if (assocHz != inAssocOf_) {
        forgetAssoc();
        markAssoc(assocHz, true);
        inAssocOf_ = assocHz;
    }
}

// Sets or clears the bits of a list's characters. The blanks that end a list are one character,
// set or cleared once: repeated, they would each wait for the last write to the same word.
void LookupState::markAssoc(const gbk::Text& list, bool value) {
    std::size_t end = list.size();
    while (end > 0 && list[end - 1] == u' ')
        --end;
    if (end < list.size())
        inAssoc_[u' '] = value;
    for (std::size_t i = 0; i < end; ++i)
        inAssoc_[list[i]] = value;
}

void LookupState::forgetAssoc() {
    markAssoc(inAssocOf_, false);
    inAssocOf_.clear();
}

// The bucket a matching record goes to: exact matches, the 3,000 most frequent characters, the
// rest of the common ones, the rare ones.
LookupState::Bucket& LookupState::bucketFor(int rank, bool exact) {
    if (exact)
        return buckets_[Exact];
    if (rank <= StrokeIndex::kCommonRanks)
        return buckets_[Common];
    if (rank <= StrokeIndex::kMiddleRanks)
        return buckets_[Middle];
    return buckets_[Rare];
}

// One matching record into its bucket, with its rank key.
void LookupState::collect(const gbk::Text& ch, int rank, bool exact) {
    Bucket& b = bucketFor(rank, exact);
    for (gbk::Char c : ch)
        b.add(c);
    b.addKey(rankKeyFor(rank, exact, inAssoc(ch)));
}

void LookupState::display(std::int32_t first) {
    if (strokeIndex_.usable() && !prefix_.empty()) {
        indexed_ =
            StrokeCandidates::collect(strokes_, strokeIndex_, first, tovrin::view(key_), prefix_);
        displayCandidates(indexed_, nullptr);
    } else {
        displayWalk(first);
    }
}

void LookupState::displayWalk(std::int32_t first) {
    beginCollection();
    // Every record from `first` on whose strokes begin with the stroke string. The counter is
    // wide: a run of matching records may be longer than 32,767.
    const std::int64_t count = strokes_.count();
    for (std::int64_t n = first; n <= count && !prefix_.empty(); ++n) {
        const StrokeRecord rec = StrokeRecord::read(strokes_.record(n));
        if (!beginsWithPrefix(rec.strokes))
            break;
        collect(fieldText(rec.character), rec.rank, sameField(rec.strokes, key_));
    }
    const std::size_t first3 =
        buckets_[Exact].charCount + buckets_[Common].charCount + buckets_[Middle].charCount;
    select(first3, buckets_[Rare].charCount, buckets_[Rare].nonBlank);
}

void LookupState::displayCandidates(const StrokeCandidates& c, const StrokeGrids::Grid* grid) {
    beginCollection();
    candidates_ = &c;
    grid_ = grid;
    select(c.first3, static_cast<std::size_t>(c.count - c.first3), c.rareSeen);
}

void LookupState::select(std::size_t first3, std::size_t rare, bool rareShown) {
    Label10.visible = false;
    bool withRare = true;
    if (showAll == 0) {
        const std::size_t strokes = Label6.size();
        if ((strokes < StrokeRecord::kStrokesWidth && first3 <= 6) ||
            (strokes == StrokeRecord::kStrokesWidth && first3 + rare <= 17))
            parkMoreLink();
        else
            withRare = false;
        if (!rareShown)
            parkMoreLink();
    }
    showCandidates(withRare, true);
}

void LookupState::Label10_Click() {
    Label10.visible = false;
    showCandidates(true, false);
}

void LookupState::showCandidates(bool withRare, bool placeLink) {
    // Only the first 51 in bucket and dictionary order enter the grid; ranking happens among
    // them alone, by a stable sort on the key: equal keys keep their order.
    constexpr std::size_t kCells = layout::kGridCells;
    std::array<gbk::Char, kCells> walked;
    const gbk::Char* chars = walked.data();
    std::array<std::uint8_t, kCells> ranked;
    const std::array<std::uint8_t, kCells>* order = &ranked;
    std::size_t used = 0;
    if (candidates_) {
        const StrokeCandidates& c = *candidates_;
        chars = c.chars.data();
        used = withRare ? c.count : c.first3;
        bool boosted = false;
        for (std::size_t i = 0; i < used; ++i)
            boosted = boosted || inAssoc_[c.chars[i]];
        if (grid_ && !boosted)
            order = &grid_->order;
        else
            c.rank(used, inAssoc_, ranked);
    } else {
        // The walk's characters and keys are laid end to end by themselves (a record of two
        // characters has one key).
        std::array<std::int32_t, kCells> keys;
        std::size_t keyed = 0;
        for (int b = Exact; b <= (withRare ? Rare : Middle); ++b) {
            const Bucket& bucket = buckets_[static_cast<std::size_t>(b)];
            for (std::size_t i = 0; i < std::min(bucket.charCount, kCells) && used < kCells; ++i)
                walked[used++] = bucket.chars[i];
            for (std::size_t i = 0; i < std::min(bucket.keyCount, kCells) && keyed < kCells; ++i)
                keys[keyed++] = bucket.keys[i];
        }
        rankByKeys(keys.data(), keyed, used, ranked);
    }
    for (std::size_t i = 0; i < used; ++i)
        Label11[i] = chars[(*order)[i]];
    for (std::size_t i = used; i < Label11.size(); ++i)
        Label11[i] = kNoCaption;
    // The more link goes to the first empty cell after the first one.
    if (placeLink && used < Label11.size() && showAll == 0 && !Label10.visible)
        placeMoreLink(static_cast<int>(std::max<std::size_t>(used, 1)));
}

void LookupState::placeMoreLink(int cell) {
    const layout::Rect& r = Label11Rect[cell];
    switch (sizeMode) {
    case 0:
        Label10.left = r.left - 66;
        Label10.top = r.top + 22;
        break;
    case 1:
    case 2:
    case 3:
        Label10.left = r.left;
        Label10.top = r.top + 55;
        break;
    case 4:
        Label10.left = r.left;
        Label10.top = r.top + 88;
        break;
    default:
        break; // an unknown size leaves the link where it is
    }
    Label10.visible = true;
}

void LookupState::parkMoreLink() {
    Label10.left = layout::kMoreParkedLeft;
    Label10.visible = true;
}

} // namespace tovrin
