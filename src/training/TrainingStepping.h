#pragma once
// Moving a training chart's clock: one bar at a time, by the panel's "下一根" button, its
// start of auto-play and the chart's auto-play timer. The training overlay's StepNextBar
// is this function; it is kept apart from the window so that it can be tested headless.

class TrainingPicData;

// True when the step revealed a bar or completed the current partial bar; false when
// nothing moved: the period ended (the session ends, once, with "训练周期结束"), minute
// data are missing, next year's minute bars are being fetched, a rights-issue prompt
// stopped the step, the view is scrolled back, or the session has ended.
bool StepNextBar(TrainingPicData& layer, bool autoPlay);
