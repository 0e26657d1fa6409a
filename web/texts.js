// The page's captions in English and Japanese. The browser's preferred language chooses: a
// Japanese browser reads Japanese, every other one English.

const CAPTIONS = {
  en: {
    play: 'Play',
    pause: 'Pause',
    speed: 'Replay speed',
    slider: 'Race clock',
    follow: 'Follow',
    whole: 'Whole course',
    northUp: 'North up',
    windUp: 'Wind up',
    names: 'Names',
    boats: 'Boats',
    ranking: 'Ranking',
    elapsed: 'elapsed time',
    corrected: 'corrected time',
    noFinish: 'No boat has finished yet.',
    noCourse: 'The race has no finish line.',
    focusHint: 'Click a boat to follow it; click again to see all.',
    gun: 'Start',
    knots: 'kn',
    gapUnit: 's',
    resetView: 'Reset the view',
    chart: 'Chart of the race',
    failed: 'This page could not read its race: ',
    oldBrowser: 'This browser cannot unpack the race (it lacks DecompressionStream).',
    made: 'Made by keelway',
  },
  ja: {
    play: '再生',
    pause: '一時停止',
    speed: '再生速度',
    slider: 'レース時刻',
    follow: '追尾',
    whole: 'コース全体',
    northUp: '北が上',
    windUp: '風上が上',
    names: '艇名表示',
    boats: '艇',
    ranking: '順位',
    elapsed: '所要時間',
    corrected: '修正時間',
    noFinish: 'まだフィニッシュした艇はありません。',
    noCourse: 'このレースにはフィニッシュラインがありません。',
    focusHint: '艇をクリックすると追尾します。もう一度クリックで全艇表示。',
    gun: 'スタート',
    knots: 'ノット',
    gapUnit: '秒',
    resetView: '表示を元に戻す',
    chart: 'レースの海図',
    failed: 'このページはレースを読めませんでした: ',
    oldBrowser: 'このブラウザはレースを展開できません (DecompressionStream がありません)。',
    made: 'keelway で作成',
  },
};

// 'ja' when the browser prefers Japanese, else 'en'.
function chooseLanguage(preferred) {
  const first = (preferred && preferred[0]) || 'en';
  return first.toLowerCase().startsWith('ja') ? 'ja' : 'en';
}

const LANGUAGE = chooseLanguage(navigator.languages || [navigator.language]);

// The caption `key` in the page's language.
function say(key) { return CAPTIONS[LANGUAGE][key] ?? CAPTIONS.en[key] ?? key; }
