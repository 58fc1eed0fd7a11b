"""texts.py -- what the programs print on their console, as the end-to-end tests expect it.

On a pipe lines end in "\n"; on a pseudo-terminal in "\r\n" (tty() makes that form).
"""
BANNER = "\n\n**************************VORTAVIA 3D DEMO in OpenGL**************************\n"
PROMPT = ("Configure the game before you run it for optimal performance\n"
          "Or press 'x' to skip config\n\nAny other key to use the config utility. ")
CLOSING = "\n\n\nOk...Loading the game...\n\n"
COMPLETE = "Loading Complete!!"
DEVICES = "WaveIn devices available on this computer are...\n"
CHOOSE = "Please choose the wave in device"
OPENED = "Opening WaveIn Device...Done!\n"
LOUD_PRINT = "9600 "  # the speed a loud capture sets, printed each frame


def tty(text):
    return text.replace("\n", "\r\n")


def dialogue(text, banner=BANNER, prompt=PROMPT, closing=CLOSING):
    """The start-up dialogue in text, banner to closing, and the credit line between banner and prompt."""
    shown = text[text.index(banner):text.index(closing) + len(closing)]
    return shown, shown[len(banner):shown.index(prompt)]
