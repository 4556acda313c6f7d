"""The monkeys' looping story: every kind of moment a reader can meet (music, effects, pictures,
timed pauses, a question, chaining), over and over, with the sample story's media.

  loop_story.py FOLDER SAMPLE-STORY    writes it into FOLDER
"""
import os
import shutil
import sys

LOOP_STORY = {
    "00": "L01B01XT300最初の部屋。P\n"
          "CW01音がした。T500\n"
          "続きがある。P\n"
          "Q先へ進みますか\n"
          "はい\n"
          "いいえ\n"
          "FFFaS01J007bR01J007\n"
          "CL03B02X二つ目の曲。W02P\n"
          "D01\n",
    "01": "CL05W03次のファイル。T200\n"
          "ZT100止めて、また。XP\n"
          "CL02D00\n",
}


def write_story(folder, sample):
    os.makedirs(os.path.join(folder, "Data"))
    for kind in ("Picture", "Bgm", "Wave"):
        shutil.copytree(os.path.join(sample, kind), os.path.join(folder, kind))
    for number, text in LOOP_STORY.items():
        with open(os.path.join(folder, "Data", f"Data{number}.Dat"), "wb") as f:
            f.write(text.replace("\n", "\r\n").encode("cp932"))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    write_story(sys.argv[1], sys.argv[2])
