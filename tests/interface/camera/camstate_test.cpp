// The camera state task: modes, zoom, shakes and a view told outright.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/dobject/dobject.h"
#include "engine/kernel/tasktypes.h"
#include "interface/camera/camstate.h"
#include "missions/control/missiontasks.h"
#include "tests/world/support/tasktest.h"

namespace {

class CameraStateTest : public vnworld::TaskTest {
 protected:
  void SetUp() override {
    StartTask(&vnCAMERA_Register, VNTT_CAMERA_STATE);
  }
  void AfterTask() override { vnMISSCONT_SetCameraDObject(nullptr); }
  VNCAMERA_STATE* State() const { return SGE_TaskData<VNCAMERA_STATE>(task); }
  vnworld::FrameClock clock{0.1f};
};

TEST_F(CameraStateTest, TheZoomStaysInItsRangeAndStepsByLevels) {
  EXPECT_EQ(vnMISSCONT_GetCameraTask(), task);
  SGE_Send(task, SGM_CAMERA_AUTO_ZOOM, 0, 0);
  const int32_t far = 30, near = -100, little = 5;
  const struct {
    const char* what;
    int32_t msg;
    const int32_t* delta;
    float zoom;
  } steps[] = {
      {"out past the far end", SGM_CAMERA_ZOOM_DELTA, &far, 50.0f},
      {"in past the near end", SGM_CAMERA_ZOOM_DELTA, &near, 15.0f},
      {"a little out", SGM_CAMERA_ZOOM_DELTA, &little, 20.0f},
      {"a level out from the near level", SGM_CAMERA_ZOOM_OUT_STEP, nullptr, 32.5f},
      {"a level out", SGM_CAMERA_ZOOM_OUT_STEP, nullptr, 50.0f},
      {"no level beyond the far one", SGM_CAMERA_ZOOM_OUT_STEP, nullptr, 50.0f},
      {"a level in", SGM_CAMERA_ZOOM_IN_STEP, nullptr, 32.5f},
  };
  for (const auto& s : steps) {
    SGE_Send(task, s.msg, SGE_PtrParam(s.delta), 0);
    EXPECT_FLOAT_EQ(State()->fZoom, s.zoom) << s.what;
    EXPECT_EQ(State()->dwFlags & VNCAMERA_AUTO_ZOOM, 0u) << s.what;
  }
}

TEST_F(CameraStateTest, FreezingAndFreeModeComeBackToFollowing) {
  SGE_Send(task, SGM_CAMERA_FREE_LOOK, 1, 0);
  SGE_Send(task, SGM_CAMERA_FREEZE, 1, 0);
  EXPECT_EQ(State()->dwFlags & (VNCAMERA_FROZEN | VNCAMERA_FREE_LOOK), VNCAMERA_FROZEN);
  SGE_Send(task, SGM_CAMERA_FREEZE, 0, 0);
  EXPECT_EQ(State()->dwFlags & VNCAMERA_FROZEN, 0u);
  SGE_Send(task, SGM_CAMERA_FREE, 1, 0);
  EXPECT_NE(State()->dwFlags & VNCAMERA_FREE, 0u);
  EXPECT_FLOAT_EQ(State()->fZoom, 0.0f);
  SGE_Send(task, SGM_CAMERA_RESUME, 0, 0);
  EXPECT_EQ(State()->dwFlags & VNCAMERA_FREE, 0u);
  EXPECT_NE(State()->dwFlags & VNCAMERA_AUTO_ZOOM, 0u);
  EXPECT_FLOAT_EQ(State()->fZoom, VNCAMERA_ZOOM_MID);
}

TEST_F(CameraStateTest, AShakeEndsAfterItsDurationAndAFadingOneRunsDownFirst) {
  VNCAMERA_SHAKE_REQUEST plain{{10, 10, 0}, 1.0f, 0.5f, 0, 100.0f, 50};
  VNCAMERA_SHAKE_REQUEST fading{{10, 10, 0}, 0.35f, 0.5f, 1, 100.0f, 50};
  SGE_Send(task, SGM_CAMERA_SHAKE, SGE_PtrParam(&plain), 0);
  SGE_Send(task, SGM_CAMERA_SHAKE, SGE_PtrParam(&fading), 0);
  EXPECT_EQ(vnCAMERA_CountShakes(), 2);
  clock.Set(0.1f);  // 0.3 s on
  w.RunFrames(1);
  EXPECT_EQ(vnCAMERA_CountShakes(), 2);
  clock.Set(0.1f);  // 0.6 s on: past the duration
  w.RunFrames(1);
  EXPECT_EQ(vnCAMERA_CountShakes(), 1) << "the fading one runs down by the frame time";
  w.RunFrames(2);
  EXPECT_EQ(vnCAMERA_CountShakes(), 1);
  w.RunFrames(1);
  EXPECT_EQ(vnCAMERA_CountShakes(), 0);
}

TEST_F(CameraStateTest, AViewToldByEyeAndTargetPlacesTheCameraObject) {
  SPW_DOBJECT eye{};
  vnMISSCONT_SetCameraDObject(&eye);
  const SPW_VECTOR from{5, 5, 2}, level{15, 5, 2}, down{5, 5, -8};
  ASSERT_EQ(SGE_Send(task, SGM_CAMERA_LOOK_FROM, SGE_PtrParam(&from), SGE_PtrParam(&level)), 1);
  EXPECT_FLOAT_EQ(eye.t.vPos.x, 5.0f);
  EXPECT_FLOAT_EQ(eye.t.vPos.z, 2.0f);
  const SPW_VECTOR* angles = SGE_Ask<SPW_VECTOR>(task, SGM_CAMERA_GET_ANGLES, 0, 0);
  ASSERT_NE(angles, nullptr);
  EXPECT_NEAR(angles->x, SPW_PI / 2.0f, 1e-5f) << "level";
  EXPECT_NEAR(angles->z, -SPW_PI / 2.0f, 1e-5f) << "along +x";
  ASSERT_EQ(SGE_Send(task, SGM_CAMERA_LOOK_FROM, SGE_PtrParam(&from), SGE_PtrParam(&down)), 1);
  EXPECT_NEAR(angles->x, 0.0f, 1e-5f) << "straight down";
  const float q = std::sqrt(eye.t.qRot.x * eye.t.qRot.x + eye.t.qRot.y * eye.t.qRot.y +
                            eye.t.qRot.z * eye.t.qRot.z + eye.t.qRot.w * eye.t.qRot.w);
  EXPECT_NEAR(q, 1.0f, 1e-5f);
  EXPECT_EQ(SGE_Send(task, SGM_CAMERA_LOOK_FROM, SGE_PtrParam(&from), SGE_PtrParam(&from)), 0)
      << "no view without a direction";
}

TEST_F(CameraStateTest, TheCameraLeavesTheMissionWhenItEnds) {
  SGE_Send(task, SGM_TASK_DESTROY, 0, 0);
  task = nullptr;
  EXPECT_EQ(vnMISSCONT_GetCameraTask(), nullptr);
  EXPECT_EQ(vnCAMERA_CountShakes(), 0);
}

}  // namespace
